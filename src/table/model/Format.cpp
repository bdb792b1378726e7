#include "table/model/Format.h"

namespace Tabra {

std::string CFormat::Pad(std::string text) const {
    if (width <= 0 || text.size() >= static_cast<size_t>(width))
        return text;
    size_t missing = static_cast<size_t>(width) - text.size();
    size_t before = alignment == ALIGN_RIGHT ? missing : alignment == ALIGN_CENTER ? missing / 2 : 0;
    return std::string(before, pad) + text + std::string(missing - before, pad);
}

bool CFormat::IsEmpty(const char* text) const {
    return emptySpecial && (text == nullptr || *text == 0);
}

CNumberFormat::CNumberFormat(bool colorNegative)
    : number(GetLocale()->number), colorNegative(colorNegative) {}

void CNumberFormat::SetLocale(const SLocale* locale) {
    CFormat::SetLocale(locale);
    number = locale->number;
}

CIntFormat::CIntFormat(bool colorNegative) : CNumberFormat(colorNegative) {
    number.digits = 0;
}

void CIntFormat::SetLocale(const SLocale* locale) {
    CNumberFormat::SetLocale(locale);
    number.digits = 0;
}

std::string CIntFormat::Format(int value) const {
    if (IsEmptyNumber(value))
        return emptyText;
    return Pad(FormatNumber(std::to_string(value), number));
}

ColorRef CIntFormat::Color(int value) const {
    if (IsEmptyNumber(value))
        return emptyColor;
    return colorNegative && value < 0 ? negativeColor : kNoColor;
}

} // namespace Tabra
