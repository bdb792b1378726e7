// Feeds arbitrary bytes to the parsers of stored table data: layout words, enumeration texts, colours.
#include "table/model/Appearance.h"
#include "table/model/Enum.h"
#include "table/model/Layout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void CheckLayout(const uint8_t* data, size_t size) {
    Tabra::CWordArray words;
    for (size_t i = 0; i + 1 < size; i += 2)
        words.push_back(static_cast<uint16_t>(data[i] | data[i + 1] << 8));
    Tabra::SColumnSet set({{"Server", 120, true}, {"Ping", 40, true}, {"", 0, false}});
    if (words.size() > 1)
        words[1] = Tabra::HeaderChecksum(set); // let most inputs reach the per-column checks
    if (!Tabra::SetLayout(set, words))
        return;
    std::vector<bool> shown(set.columns.size(), false);
    for (int col : set.order) {
        if (col < 0 || static_cast<size_t>(col) >= shown.size() || shown[static_cast<size_t>(col)])
            abort();
        shown[static_cast<size_t>(col)] = true;
    }
    Tabra::CWordArray again;
    Tabra::GetLayout(set, again);
    Tabra::SColumnSet copy({{"Server", 1, true}, {"Ping", 1, true}, {"", 0, false}});
    if (!Tabra::SetLayout(copy, again) || copy.order != set.order)
        abort();
}

void CheckEnum(const std::string& text) {
    Tabra::CEnum e(text.c_str());
    size_t pieces = 1;
    for (char c : text)
        pieces += c == '\n' ? 1 : 0;
    if (e.Get()->Entries().size() != pieces)
        abort();
    for (int value = -1; value <= static_cast<int>(pieces); ++value)
        e.Get()->Lookup(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckLayout(data, size);
    std::string text(reinterpret_cast<const char*>(data), size);
    CheckEnum(std::string(text.c_str())); // the enumeration text ends at the first NUL
    if (Tabra::ParseColor(text) > 0xFFFFFF)
        abort();
    return 0;
}
