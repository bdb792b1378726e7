// Feeds arbitrary bytes to the parsers of stored table data: layout words and colours.
#include "table/model/Appearance.h"
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
    // An order that is no permutation fails the second reading or the sanitizer in GetLayout.
    Tabra::CWordArray again;
    Tabra::GetLayout(set, again);
    Tabra::SColumnSet copy({{"Server", 1, true}, {"Ping", 1, true}, {"", 0, false}});
    if (!Tabra::SetLayout(copy, again) || copy.order != set.order)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckLayout(data, size);
    if (Tabra::ParseColor(std::string(reinterpret_cast<const char*>(data), size)) > 0xFFFFFF)
        abort();
    return 0;
}
