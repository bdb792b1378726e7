// The persisted column layout of a table: widths, visibility and display order as a word array.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Tabra {

using CWordArray = std::vector<uint16_t>;

constexpr uint16_t kLayoutFormat = 2;

struct SColumnState {
    std::string header; // shown header text; a part after a line feed does not count
    int width = 0;
    bool visible = false;
};

// The columns of a table as its control shows them.
struct SColumnSet {
    std::vector<SColumnState> columns;
    std::vector<int> order; // display position -> column index
    int dpi = 96;           // the DPI the widths are at

    // Columns in display order with the identity order.
    explicit SColumnSet(std::vector<SColumnState> states = {});
    // Visible column indices from the leftmost display position to the rightmost.
    std::vector<int> VisibleColumns() const;
};

// h = h * 33 + c over every header character (signed), from the last column to the first, in 16 bits.
uint16_t HeaderChecksum(const SColumnSet& set);

// Replaces `out` by: format, checksum, count, then width, DPI, visible, position per column. The DPI
// word is 0 for 96 DPI, so a layout at 96 DPI reads as before the word held the DPI.
void GetLayout(const SColumnSet& set, CWordArray& out);

// Applies a layout made by GetLayout for the same headers. Rejects, changing nothing, an array of
// another format, checksum or column count, one shorter than 3 + 4n words, and one whose positions
// are not each used once. Visibility is applied only to columns with a header text. Widths stored at
// another DPI are scaled to the set's DPI.
bool SetLayout(SColumnSet& set, const CWordArray& in);

} // namespace Tabra
