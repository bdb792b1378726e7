#include "table/model/Layout.h"

namespace Tabra {

namespace {

constexpr int kDefaultDpi = 96;
constexpr size_t kHeaderWords = 3;
constexpr size_t kWordsPerColumn = 4;

size_t Word(size_t col, size_t field) {
    return kHeaderWords + kWordsPerColumn * col + field;
}

// The position of each column: in[6 + 4i] must be a permutation of 0..n-1.
bool ReadPositions(const CWordArray& in, size_t count, std::vector<int>& order) {
    order.assign(count, -1);
    for (size_t col = 0; col < count; ++col) {
        size_t position = in[Word(col, 3)];
        if (position >= count || order[position] != -1)
            return false;
        order[position] = static_cast<int>(col);
    }
    return true;
}

// A stored width at the stored DPI (0 for 96), rounded to the nearest pixel at dpi.
int ScaledWidth(int width, int stored, int dpi) {
    if (stored == 0)
        stored = kDefaultDpi;
    return (width * dpi + stored / 2) / stored;
}

} // namespace

SColumnSet::SColumnSet(std::vector<SColumnState> states) : columns(std::move(states)) {
    for (size_t col = 0; col < columns.size(); ++col)
        order.push_back(static_cast<int>(col));
}

std::vector<int> SColumnSet::VisibleColumns() const {
    std::vector<int> visible;
    for (int col : order)
        if (columns[static_cast<size_t>(col)].visible)
            visible.push_back(col);
    return visible;
}

uint16_t HeaderChecksum(const SColumnSet& set) {
    uint16_t h = 0;
    for (auto column = set.columns.rbegin(); column != set.columns.rend(); ++column)
        for (char c : column->header) {
            if (c == '\n')
                break;
            h = static_cast<uint16_t>(h * 33 + static_cast<signed char>(c));
        }
    return h;
}

void GetLayout(const SColumnSet& set, CWordArray& out) {
    size_t count = set.columns.size();
    out.assign(kHeaderWords + kWordsPerColumn * count, 0);
    out[0] = kLayoutFormat;
    out[1] = HeaderChecksum(set);
    out[2] = static_cast<uint16_t>(count);
    for (size_t position = 0; position < set.order.size(); ++position) {
        size_t col = static_cast<size_t>(set.order[position]);
        out[Word(col, 0)] = static_cast<uint16_t>(set.columns[col].width);
        out[Word(col, 1)] = static_cast<uint16_t>(set.dpi == kDefaultDpi ? 0 : set.dpi);
        out[Word(col, 2)] = set.columns[col].visible ? 1 : 0;
        out[Word(col, 3)] = static_cast<uint16_t>(position);
    }
}

bool SetLayout(SColumnSet& set, const CWordArray& in) {
    size_t count = set.columns.size();
    if (in.size() < kHeaderWords || in[0] != kLayoutFormat || in[1] != HeaderChecksum(set) || in[2] != count)
        return false;
    std::vector<int> order;
    if (in.size() < Word(count, 0) || !ReadPositions(in, count, order))
        return false;
    for (size_t col = 0; col < count; ++col) {
        SColumnState& column = set.columns[col];
        column.width = ScaledWidth(in[Word(col, 0)], in[Word(col, 1)], set.dpi);
        if (!column.header.empty())
            column.visible = in[Word(col, 2)] != 0;
    }
    set.order = std::move(order);
    return true;
}

} // namespace Tabra
