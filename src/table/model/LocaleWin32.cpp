#include "table/model/Locale.h"

#include "base/TextUtil.h"

#include <algorithm>

#include <string.h>
#include <windows.h>

namespace Tabra {

namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
    char buffer[16];
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) == 0)
        return fallback;
    return buffer;
}

unsigned LocaleNumber(LCTYPE type, unsigned fallback) {
    std::string text = LocaleText(type, "");
    return text.empty() ? fallback : static_cast<unsigned>(std::max(0, base::ReadInt(text.c_str())));
}

// "3;0" -> 3, "3;2;0" -> 32, "3" -> 30.
unsigned GroupingNumber(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    if (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    else
        digits += '0';
    return digits.empty() ? 0 : static_cast<unsigned>(std::max(0, base::ReadInt(digits.c_str())));
}

} // namespace

int CollateNoCase(const char* a, const char* b) {
    return _stricoll(a, b);
}

int CollateNoCasePrefix(const char* a, const char* b, size_t count) {
    return _strnicoll(a, b, count);
}

SNumberSettings ReadUserNumberSettings() {
    SNumberSettings settings;
    settings.digits = LocaleNumber(LOCALE_IDIGITS, 2);
    settings.leadingZero = LocaleNumber(LOCALE_ILZERO, 1) != 0;
    settings.grouping = GroupingNumber(LocaleText(LOCALE_SGROUPING, "3;0"));
    settings.decimalSep = LocaleText(LOCALE_SDECIMAL, ".");
    settings.thousandSep = LocaleText(LOCALE_STHOUSAND, ",");
    settings.negativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1);
    return settings;
}

std::string FormatNumber(const std::string& number, const SNumberSettings& settings) {
    std::string decimalSep = settings.decimalSep;
    std::string thousandSep = settings.thousandSep;
    NUMBERFMTA format{};
    format.NumDigits = settings.digits;
    format.LeadingZero = settings.leadingZero ? 1 : 0;
    format.Grouping = settings.grouping;
    format.lpDecimalSep = decimalSep.data();
    format.lpThousandSep = thousandSep.data();
    format.NegativeOrder = settings.negativeOrder;
    char buffer[512];
    if (GetNumberFormatA(LOCALE_USER_DEFAULT, 0, number.c_str(), &format, buffer, sizeof buffer) == 0)
        return {};
    return buffer;
}

} // namespace Tabra
