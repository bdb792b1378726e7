#include "table/model/Enum.h"

#include "table/model/TableInterface.h"

#include <algorithm>

namespace Tabra {

CEnum::CEnum(const char* text, int startValue) : m_enum(new CInternalEnum) {
    std::string items = text != nullptr ? text : "";
    size_t start = 0;
    for (;;) {
        size_t end = items.find('\n', start);
        std::string piece = items.substr(start, end == std::string::npos ? std::string::npos : end - start);
        bool first = m_enum->Entries().empty();
        m_enum->Add(first ? startValue : CInternalEnum::kAutomatic, piece);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

CEnum::~CEnum() {
    m_enum->Release();
}

int CEnum::CInternalEnum::Release() {
    int refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

const SEnumEntry& CEnum::CInternalEnum::Lookup(int value) {
    if (m_entries.size() <= kLinearLookupLimit) {
        for (const SEnumEntry& entry : m_entries)
            if (entry.value == value)
                return entry;
        return m_fallback;
    }
    auto byValue = [](const SEnumEntry& a, const SEnumEntry& b) { return a.value < b.value; };
    if (!m_sorted) {
        std::stable_sort(m_entries.begin(), m_entries.end(), byValue);
        m_sorted = true;
    }
    auto found =
        std::lower_bound(m_entries.begin(), m_entries.end(), SEnumEntry{value, {}, {}, 0, 0}, byValue);
    return found != m_entries.end() && found->value == value ? *found : m_fallback;
}

void CEnum::CInternalEnum::FillTable(CTableInterface* table) {
    for (const SEnumEntry& entry : m_entries)
        table->AddRow()->Cell(0)->SetInt(entry.value);
}

void CEnum::CInternalEnum::Add(int value, const std::string& text, const std::string& text2, int image,
                               int order) {
    auto automatic = [this](int given, int SEnumEntry::*field) {
        if (given != kAutomatic)
            return given;
        return m_entries.empty() ? 0 : m_entries.back().*field + 1;
    };
    m_entries.push_back({automatic(value, &SEnumEntry::value), text, text2,
                         automatic(image, &SEnumEntry::image), automatic(order, &SEnumEntry::order)});
    m_sorted = false;
}

} // namespace Tabra
