// Enumerations: integer cell values mapped to display texts, and the comparer that sorts by them.
#pragma once

#include "table/model/CellFactory.h"

#include <string>
#include <vector>

namespace Tabra {

class CTableInterface;

struct SEnumEntry {
    int value = 0;
    std::string text;
    std::string text2; // a longer text, may be empty
    int image = -1;
    int order = 0;
};

class CAbstractEnum {
public:
    CAbstractEnum() = default;
    CAbstractEnum(const CAbstractEnum&) = delete;
    CAbstractEnum& operator=(const CAbstractEnum&) = delete;
    virtual ~CAbstractEnum() = default;

    // Reference counting, answering the new count; the base class does not count.
    virtual int AddRef() { return 1; }
    virtual int Release() { return 1; }
    // The entry of `value`, or the fallback entry "#Error#" (order 0) when there is none.
    virtual const SEnumEntry& Lookup(int value) = 0;
    // Order of a's entry minus order of b's entry.
    virtual int CompareValues(int a, int b) = 0;
    // Appends one row per entry in list order, the entry's value in the row's first cell.
    virtual void FillTable(CTableInterface* table) = 0;
};

// The handle an application holds: it creates the enumeration with one reference and releases it.
class CEnum {
public:
    class CInternalEnum;

    // One entry per piece of `text` split at line feeds (the piece after the last one too, even when
    // empty), valued from `startValue` upwards.
    explicit CEnum(const char* text, int startValue = 0);
    ~CEnum();
    CEnum(const CEnum&) = delete;
    CEnum& operator=(const CEnum&) = delete;

    CInternalEnum* Get() const { return m_enum; }

private:
    CInternalEnum* m_enum;
};

class CEnum::CInternalEnum : public CAbstractEnum {
public:
    static constexpr int kAutomatic = -1;
    // Lookups search from the front up to this many entries, by bisection above.
    static constexpr size_t kLinearLookupLimit = 10;

    int AddRef() override { return ++m_refs; }
    int Release() override;
    const SEnumEntry& Lookup(int value) override;
    int CompareValues(int a, int b) override { return Lookup(a).order - Lookup(b).order; }
    void FillTable(CTableInterface* table) override;

    // Appends an entry; AUTOMATIC value, image or order is the last entry's plus 1, or 0 for the first.
    void Add(int value, const std::string& text, const std::string& text2 = {}, int image = kAutomatic,
             int order = kAutomatic);
    const std::vector<SEnumEntry>& Entries() const { return m_entries; }

private:
    friend class CEnum;
    CInternalEnum() = default;
    ~CInternalEnum() override = default;

    std::vector<SEnumEntry> m_entries;
    SEnumEntry m_fallback{0, "#Error#", "#Error#", -1, 0};
    bool m_sorted = false;
    int m_refs = 1;
};

// Compares two integer cells by the order of their entries; holds a reference on the enumeration.
class CEnumCompare : public CCellCompare {
public:
    explicit CEnumCompare(CAbstractEnum* enumeration) : m_enum(enumeration) { m_enum->AddRef(); }
    ~CEnumCompare() override { m_enum->Release(); }
    CEnumCompare(const CEnumCompare&) = delete;
    CEnumCompare& operator=(const CEnumCompare&) = delete;

    int Compare(const CCellData* a, const CCellData* b) const override {
        return m_enum->CompareValues(a->GetInt(), b->GetInt());
    }
    CCellCompare* Clone() const override { return new CEnumCompare(m_enum); }

private:
    CAbstractEnum* m_enum;
};

} // namespace Tabra
