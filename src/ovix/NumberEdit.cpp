#include "ovix/NumberEdit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace Ovix {

namespace {

void RemoveAll(std::string& text, const std::string& part) {
    if (part.empty())
        return;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr char kBlanks[] = " \t";

} // namespace

void CNumberEdit::SetRange(double minimum, double maximum) {
    if (minimum > maximum)
        std::swap(minimum, maximum);
    m_minimum = minimum;
    m_maximum = maximum;
}

void CNumberEdit::SetDecimalPlaces(unsigned places) {
    m_format.number.digits = std::min(places, 9u);
}

std::optional<CNumberEdit::SRead> CNumberEdit::Read(const std::string& input) const {
    const Tabra::SNumberSettings& number = m_format.number;
    std::string text = input;
    if (number.thousandSep != number.decimalSep)
        RemoveAll(text, number.thousandSep);
    const bool negative = text.find('-') != std::string::npos;
    RemoveAll(text, "-");
    const size_t first = text.find_first_not_of(kBlanks);
    text = first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(kBlanks) + 1 - first);
    if (!number.decimalSep.empty() && number.decimalSep != ".") {
        for (size_t at = text.find(number.decimalSep); at != std::string::npos;
             at = text.find(number.decimalSep, at))
            text.replace(at, number.decimalSep.size(), ".");
    }
    // Only plain decimal numbers: no exponent, no hexadecimal, no "inf" or "nan".
    size_t end = text.empty() || text[0] != '+' ? 0 : 1;
    const size_t start = end;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    size_t fraction = end;
    if (fraction < text.size() && text[fraction] == '.') {
        ++fraction;
        while (fraction < text.size() && IsDigit(text[fraction]))
            ++fraction;
    }
    if (fraction > end + 1 || end > start)
        end = fraction;
    if (end == start)
        return std::nullopt;
    const double value = std::strtod(text.substr(0, end).c_str(), nullptr);
    return SRead{negative ? -value : value, end == text.size()};
}

std::string CNumberEdit::Format(double value) const {
    Tabra::SNumberSettings settings = m_format.number;
    settings.negativeOrder = 1; // "-1.1": the one form of negative numbers Read takes back
    const int size = std::snprintf(nullptr, 0, "%.*f", static_cast<int>(settings.digits), value);
    std::string plain(static_cast<size_t>(std::max(size, 0)) + 1, '\0');
    std::snprintf(plain.data(), plain.size(), "%.*f", static_cast<int>(settings.digits), value);
    plain.pop_back();
    if (plain[0] == '-' && plain.find_first_not_of("-0.") == std::string::npos)
        plain.erase(0, 1); // no "-0"
    std::string text = Tabra::FormatNumber(plain, settings);
    if (text.empty())
        text = plain;
    if (m_focused && settings.thousandSep != settings.decimalSep)
        RemoveAll(text, settings.thousandSep);
    return text;
}

double CNumberEdit::SetNumber(double value) {
    value = std::clamp(std::isnan(value) ? 0.0 : value, m_minimum, m_maximum);
    SetOwnText(Format(value));
    return value;
}

double CNumberEdit::GetNumber() {
    const std::optional<SRead> read = Read(GetWindowText());
    if (!read)
        return SetNumber(0);
    if (read->value > m_maximum)
        return SetNumber(m_maximum);
    if (read->value < m_minimum)
        return SetNumber(m_minimum);
    return read->value;
}

void CNumberEdit::Step(int delta) {
    SetNumber(GetNumber() + delta);
    SendMessage(EM_SETSEL, 0, -1);
}

bool CNumberEdit::IsBlank() const {
    return GetWindowText().find_first_not_of(kBlanks) == std::string::npos;
}

void CNumberEdit::Reformat() {
    SetNumber(GetNumber());
}

void CNumberEdit::OnSetFocus(HWND oldFocus) {
    CSpinEdit::OnSetFocus(oldFocus);
    m_focused = true;
    if (!IsBlank()) {
        Reformat();
        SendMessage(EM_SETSEL, 0, -1);
    }
}

void CNumberEdit::OnKillFocus(HWND newFocus) {
    m_focused = false;
    if (!IsBlank())
        Reformat();
    CSpinEdit::OnKillFocus(newFocus);
}

void CNumberEdit::OnChar(UINT ch, UINT repeat, UINT flags) {
    const Tabra::SNumberSettings& number = m_format.number;
    auto starts = [ch](const std::string& sep) {
        return !sep.empty() && static_cast<unsigned char>(sep[0]) == ch;
    };
    const bool control = ch < 32 || ch == 127;
    if (control || (ch >= '0' && ch <= '9') || ch == '-' || ch == '+' || starts(number.thousandSep) ||
        (number.digits > 0 && starts(number.decimalSep)))
        CSpinEdit::OnChar(ch, repeat, flags);
    else
        ::MessageBeep(MB_OK);
}

COLORREF CNumberEdit::AlertColor() const {
    if (IsBlank())
        return CLR_INVALID;
    const std::optional<SRead> read = Read(GetWindowText());
    const bool valid = read && read->whole && read->value >= m_minimum && read->value <= m_maximum;
    return valid ? CLR_INVALID : kInvalidColor;
}

} // namespace Ovix
