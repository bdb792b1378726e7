#include "table/model/Locale.h"

#include <cctype>
#include <climits>
#include <clocale>
#include <cstring>
#include <strings.h>

namespace Tabra {

namespace {

bool IsCLocale() {
    const char* name = setlocale(LC_COLLATE, nullptr);
    return name == nullptr || strcmp(name, "C") == 0 || strcmp(name, "POSIX") == 0;
}

std::string LowerPrefix(const char* text, size_t count) {
    std::string lower(text, strnlen(text, count));
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Group sizes from the C library's grouping string: the last size repeats unless CHAR_MAX ends the list.
unsigned GroupingNumber(const char* grouping) {
    unsigned number = 0;
    bool repeat = false;
    for (const char* p = grouping; *p != 0; ++p) {
        if (*p == CHAR_MAX || *p < 1 || *p > 9) {
            repeat = false;
            break;
        }
        number = number * 10 + static_cast<unsigned>(*p);
        repeat = true;
    }
    return repeat || number == 0 ? number : number * 10;
}

bool IsDigits(const std::string& text) {
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Rounds the fraction half up to `digits` digits, carrying into the integer part.
void RoundFraction(std::string& whole, std::string& fraction, unsigned digits) {
    if (fraction.size() <= digits) {
        fraction.append(digits - fraction.size(), '0');
        return;
    }
    bool carry = fraction[digits] >= '5';
    fraction.resize(digits);
    for (size_t i = fraction.size(); carry && i-- > 0;) {
        carry = fraction[i] == '9';
        fraction[i] = carry ? '0' : static_cast<char>(fraction[i] + 1);
    }
    for (size_t i = whole.size(); carry && i-- > 0;) {
        carry = whole[i] == '9';
        whole[i] = carry ? '0' : static_cast<char>(whole[i] + 1);
    }
    if (carry)
        whole.insert(whole.begin(), '1');
}

std::string GroupDigits(const std::string& whole, unsigned grouping, const std::string& separator) {
    std::string sizes = grouping == 0 ? std::string() : std::to_string(grouping);
    bool repeat = !sizes.empty() && sizes.back() != '0';
    if (!repeat && !sizes.empty())
        sizes.pop_back();
    std::string result;
    size_t end = whole.size();
    size_t index = 0;
    while (index < sizes.size() || (repeat && !sizes.empty())) {
        size_t size = static_cast<size_t>(sizes[std::min(index, sizes.size() - 1)] - '0');
        if (size == 0 || end <= size)
            break;
        result.insert(0, whole, end - size, size);
        result.insert(0, separator);
        end -= size;
        ++index;
    }
    result.insert(0, whole, 0, end);
    return result;
}

std::string ApplyNegativeOrder(const std::string& number, unsigned order) {
    static const char* const patterns[][2] = {{"(", ")"}, {"-", ""}, {"- ", ""}, {"", "-"}, {"", " -"}};
    const char* const* pattern = patterns[order <= 4 ? order : 1];
    std::string text = pattern[0];
    text.append(number).append(pattern[1]);
    return text;
}

} // namespace

int CollateNoCase(const char* a, const char* b) {
    if (IsCLocale())
        return strcasecmp(a, b);
    return strcoll(LowerPrefix(a, SIZE_MAX).c_str(), LowerPrefix(b, SIZE_MAX).c_str());
}

int CollateNoCasePrefix(const char* a, const char* b, size_t count) {
    if (IsCLocale())
        return strncasecmp(a, b, count);
    return strcoll(LowerPrefix(a, count).c_str(), LowerPrefix(b, count).c_str());
}

SNumberSettings ReadUserNumberSettings() {
    const lconv* conventions = localeconv();
    SNumberSettings settings;
    settings.digits = 2;
    settings.grouping = GroupingNumber(conventions->grouping);
    settings.decimalSep = conventions->decimal_point;
    settings.thousandSep = conventions->thousands_sep;
    return settings;
}

std::string FormatNumber(const std::string& number, const SNumberSettings& settings) {
    bool negative = !number.empty() && number[0] == '-';
    std::string digits = number.substr(negative ? 1 : 0);
    size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
    if (whole.empty() && fraction.empty())
        return {};
    if (!IsDigits(whole) || !IsDigits(fraction) || settings.negativeOrder > 4)
        return {};
    RoundFraction(whole, fraction, settings.digits);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.empty() && (settings.leadingZero || settings.digits == 0))
        whole.push_back('0');
    std::string text = GroupDigits(whole, settings.grouping, settings.thousandSep);
    if (settings.digits > 0)
        text.append(settings.decimalSep).append(fraction);
    bool zero = whole.find_first_not_of('0') == std::string::npos &&
                fraction.find_first_not_of('0') == std::string::npos;
    return negative && !zero ? ApplyNegativeOrder(text, settings.negativeOrder) : text;
}

} // namespace Tabra
