// Typed cell values that live inline in the rows of a table.
#pragma once

#include <cstdint>
#include <string>

namespace Tabra {

// One cell value. The setters and getters a type does not support are ignored or answer a neutral
// value; Assign and IsLess expect a cell of the same type.
class CCellData {
public:
    virtual ~CCellData() = default;

    virtual void SetString(const std::string&) {}
    virtual void SetText(const char*) {}
    virtual void SetDouble(double) {}
    virtual void SetInt(int) {}
    virtual void SetBool(bool) {}
    virtual void Assign(const CCellData* source) = 0;

    virtual bool GetBool() const { return false; }
    virtual int GetInt() const { return 0; }
    virtual double GetDouble() const { return 0.0; }
    virtual const char* GetText() const { return nullptr; }
    virtual std::string GetString() const { return {}; }

    virtual bool IsLess(const CCellData* other) const = 0;
    virtual bool IsLessEqual(const CCellData* other) const { return IsLess(other) || !other->IsLess(this); }
    virtual bool IsGreater(const CCellData* other) const { return !IsLessEqual(other); }
    virtual bool IsGreaterEqual(const CCellData* other) const { return !IsLess(other); }
    virtual bool IsEqual(const CCellData* other) const { return !other->IsLess(this) && !IsLess(other); }
    virtual bool IsNotEqual(const CCellData* other) const { return !IsEqual(other); }

    // True when the cell owns memory that its destructor must free.
    virtual bool NeedsCleanup() const { return false; }

protected:
    CCellData() = default;
    CCellData(const CCellData&) = default;
    CCellData& operator=(const CCellData&) = default;
};

// Text; compares case-insensitively in the locale's collation order.
class CDString : public CCellData {
public:
    void SetString(const std::string& text) override { m_text = text; }
    void SetText(const char* text) override { m_text = text != nullptr ? text : ""; }
    void Assign(const CCellData* source) override;
    const char* GetText() const override { return m_text.c_str(); }
    std::string GetString() const override { return m_text; }
    bool IsLess(const CCellData* other) const override;
    bool NeedsCleanup() const override { return true; }

private:
    std::string m_text;
};

// Signed 32-bit integer.
class CDInt : public CCellData {
public:
    void SetDouble(double value) override;
    void SetInt(int value) override { m_value = value; }
    void Assign(const CCellData* source) override;
    int GetInt() const override { return m_value; }
    bool IsLess(const CCellData* other) const override;

private:
    int32_t m_value = 0;
};

// One byte: 0 or 1 through SetInt, the raw byte through SetBool; false sorts before true.
class CDBool : public CCellData {
public:
    void SetInt(int value) override { m_value = value != 0 ? 1 : 0; }
    void SetBool(bool value) override { m_value = static_cast<uint8_t>(value); }
    void Assign(const CCellData* source) override;
    bool GetBool() const override { return m_value != 0; }
    int GetInt() const override { return m_value; }
    bool IsLess(const CCellData* other) const override;

private:
    uint8_t m_value = 0;
};

} // namespace Tabra
