// Locale seam of the table model: case-insensitive collation and the user's number format.
#pragma once

#include <cstddef>
#include <string>

namespace Tabra {

// Case-insensitive comparison in the collation order of the current locale: < 0, 0 or > 0.
int CollateNoCase(const char* a, const char* b);
// The same over at most `count` characters of each text.
int CollateNoCasePrefix(const char* a, const char* b, size_t count);

// Number format settings, field for field as the Windows NUMBERFMT record holds them.
struct SNumberSettings {
    unsigned digits = 0;     // digits after the decimal separator
    bool leadingZero = true; // "0.5" rather than ".5"
    unsigned grouping = 3;   // group sizes as decimal digits from the right; a final 0 stops repeating
    std::string decimalSep = ".";
    std::string thousandSep = ",";
    unsigned negativeOrder = 1; // 0 "(1.1)", 1 "-1.1", 2 "- 1.1", 3 "1.1-", 4 "1.1 -"
};

// The settings of the user's locale, read from the platform.
SNumberSettings ReadUserNumberSettings();

// Formats a plain decimal number ("-1234.5") with `settings`; the empty text when that fails.
std::string FormatNumber(const std::string& number, const SNumberSettings& settings);

// The locale a formatter follows.
struct SLocale {
    SNumberSettings number;
};

// The process-wide user-default locale, read on first use.
const SLocale* UserLocale();

} // namespace Tabra
