// Formatters of cell values: padding, the special empty value, and the user's number format.
#pragma once

#include "table/model/Locale.h"

#include <cstdint>
#include <string>

namespace Tabra {

using ColorRef = uint32_t;                // 0x00BBGGRR
constexpr ColorRef kNoColor = 0x7FFFFFFF; // "no special colour"

enum Alignment { ALIGN_LEFT = 0, ALIGN_CENTER = 1, ALIGN_RIGHT = 2 };

class CFormat {
public:
    virtual ~CFormat() = default;
    virtual void SetLocale(const SLocale* locale) { m_locale = locale; }
    const SLocale* GetLocale() const { return m_locale; }

    // Pads a text shorter than `width` with the pad character on the side(s) the alignment gives.
    std::string Pad(std::string text) const;
    // The empty value is special and the text is null or "".
    bool IsEmpty(const char* text) const;
    // The empty-value colour for an empty text, else NO_COLOR.
    ColorRef Color(const char* text) const { return IsEmpty(text) ? emptyColor : kNoColor; }

    int alignment = ALIGN_LEFT;
    int width = 0;
    char pad = ' ';
    bool emptySpecial = false;
    std::string emptyText;
    ColorRef emptyColor = 0xA9A9A9;
    ColorRef negativeColor = 0x0000FF;

private:
    const SLocale* m_locale = UserLocale();
};

class CNumberFormat : public CFormat {
public:
    explicit CNumberFormat(bool colorNegative);
    // Also takes the locale's number settings.
    void SetLocale(const SLocale* locale) override;

    SNumberSettings number;
    bool colorNegative;
};

class CIntFormat : public CNumberFormat {
public:
    explicit CIntFormat(bool colorNegative);
    // Keeps the integer format: no digits after the decimal separator.
    void SetLocale(const SLocale* locale) override;

    // The empty-value text for the empty-value number (when special), else the number in the user's
    // format ("" when formatting fails), padded.
    std::string Format(int value) const;
    // The empty-value colour for the empty-value number, the negative colour for negative numbers when
    // they are coloured, else NO_COLOR.
    ColorRef Color(int value) const;

    int emptyNumber = 0;

private:
    bool IsEmptyNumber(int value) const { return emptySpecial && value == emptyNumber; }
};

} // namespace Tabra
