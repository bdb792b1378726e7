#include "table/view/CellOutput.h"

#include "win/Theme.h"

#include <vssym32.h>

#include <algorithm>
#include <cstring>

namespace Tabra {

namespace {

constexpr char kNarrowest[] = "W...";
constexpr char kErrorText[] = "#Error#";
constexpr int kImageGap = 5;

int Horizontal(int format) {
    return format & (DT_CENTER | DT_RIGHT);
}

} // namespace

const SColorSet* CCellOutput::DefaultColors() {
    static const SColorSet colors{::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_HIGHLIGHTTEXT),
                                  static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))};
    return &colors;
}

void CCellOutput::Begin(HDC dc) {
    m_dc = dc;
    m_saved = ::SaveDC(dc);
    ::SelectObject(dc, m_colors->font);
    ::SetBkMode(dc, TRANSPARENT);
}

void CCellOutput::End() {
    if (m_dc)
        ::RestoreDC(m_dc, m_saved);
    m_dc = nullptr;
}

int CCellOutput::TextHeight() {
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(m_dc, &tm);
    return tm.tmHeight + Scaled(2);
}

int CCellOutput::MinWidth() {
    return TextWidth(kNarrowest);
}

int CCellOutput::ValueWidth(const CCellData* value) {
    return TextWidth(ValueText(value));
}

std::string CCellOutput::TipText(const CCellData* value, int available) {
    if (ValueWidth(value) > available)
        return ValueText(value);
    return {};
}

int CCellOutput::ContentWidth(const CColData* column, int rows) {
    int widest = 0;
    for (int row = 0; row < rows; ++row)
        widest = std::max(widest, ValueWidth(column->Cell(row)));
    return widest;
}

COLORREF CCellOutput::ValueColour(const CCellData*, bool selected) {
    return TextColour(selected);
}

int CCellOutput::TextWidth(const std::string& text) const {
    SIZE size = {};
    ::GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

COLORREF CCellOutput::DrawColour(const CCellData* value, bool selected) {
    COLORREF colour = ValueColour(value, selected);
    return colour == kNoColor ? TextColour(selected) : colour;
}

void CCellOutputCString::DrawCell(const RECT& text, const CCellData* value, bool selected) {
    ::SetTextColor(m_dc, DrawColour(value, selected));
    std::string shown = ValueText(value);
    RECT rc = text;
    ::DrawTextA(m_dc, shown.c_str(), static_cast<int>(shown.size()), &rc, static_cast<UINT>(m_format));
}

void CCellOutputCharPtr::DrawCell(const RECT& text, const CCellData* value, bool selected) {
    ::SetTextColor(m_dc, DrawColour(value, selected));
    RECT rc = text;
    ::DrawTextA(m_dc, ValueChars(value), -1, &rc, static_cast<UINT>(m_format));
}

int CCellOutputCharPtr::ValueWidth(const CCellData* value) {
    const char* chars = ValueChars(value);
    SIZE size = {};
    ::GetTextExtentPoint32A(m_dc, chars, static_cast<int>(strlen(chars)), &size);
    return size.cx;
}

CStringOut::CStringOut(int format, const CFormat& textFormat)
    : CCellOutputCString(format), m_textFormat(textFormat) {}

std::string CStringOut::ValueText(const CCellData* value) {
    const char* text = value->GetText();
    if (m_textFormat.IsEmpty(text) && !m_textFormat.emptyText.empty())
        return m_textFormat.emptyText;
    return text ? text : "";
}

COLORREF CStringOut::ValueColour(const CCellData* value, bool) {
    if (!m_textFormat.emptyText.empty())
        return m_textFormat.Color(value->GetText());
    return kNoColor;
}

CIntOut::CIntOut(int format, const CIntFormat& intFormat)
    : CCellOutputCharPtr(format), m_intFormat(intFormat) {}

const char* CIntOut::ValueChars(const CCellData* value) {
    m_buffer = m_intFormat.Format(value->GetInt());
    return m_buffer.c_str();
}

COLORREF CIntOut::ValueColour(const CCellData* value, bool) {
    return m_intFormat.Color(value->GetInt());
}

int CIntOut::MinWidth() {
    return TextWidth("0...");
}

int CIntOut::TypicalWidth() {
    return TextWidth(m_intFormat.Format(1073741823));
}

int CIntOut::ContentWidth(const CColData* column, int rows) {
    if (rows <= 0)
        return 0;
    bool special = m_intFormat.emptySpecial && !m_intFormat.emptyText.empty();
    bool sawSpecial = false;
    bool any = false;
    int smallest = column->Cell(0)->GetInt();
    int largest = smallest;
    for (int row = 0; row < rows; ++row) {
        int v = column->Cell(row)->GetInt();
        if (special && v == m_intFormat.emptyNumber) {
            sawSpecial = true;
            continue;
        }
        if (!any) {
            // The first value outside the special one starts the range, so the special number itself
            // never widens it.
            smallest = largest = v;
            any = true;
        }
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
    }
    int width = 0;
    if (any)
        width = std::max(TextWidth(m_intFormat.Format(smallest)), TextWidth(m_intFormat.Format(largest)));
    if (sawSpecial)
        width = std::max(width, TextWidth(m_intFormat.emptyText));
    return width;
}

C3StateOut::C3StateOut(int format, bool checkMarks, const std::string texts[3])
    : CCellOutputCString(format),
      m_mode(checkMarks ? MODE_GLYPH : MODE_TEXT), m_texts{texts[0], texts[1], texts[2], kErrorText} {}

SIZE C3StateOut::CheckSize() const {
    int dpi = m_colors->dpi;
    return SIZE{win::SystemMetricForDpi(SM_CXMENUCHECK, dpi), win::SystemMetricForDpi(SM_CYMENUCHECK, dpi)};
}

void C3StateOut::SetEditMode(bool edit) {
    if (edit || m_mode == MODE_CHECKBOX)
        m_mode = edit ? MODE_CHECKBOX : MODE_GLYPH;
}

void C3StateOut::DrawCell(const RECT& text, const CCellData* value, bool selected) {
    if (m_mode == MODE_TEXT) {
        CCellOutputCString::DrawCell(text, value, selected);
        return;
    }
    int v = value->GetInt();
    RECT rc = text;
    if (m_mode == MODE_GLYPH) {
        if (v == 0)
            return;
        COLORREF colour = v == 2 ? (selected ? RGB(245, 245, 245) : RGB(70, 130, 180)) : TextColour(selected);
        DrawCheckMark(rc, colour);
        return;
    }
    SIZE box = CheckSize();
    int x = Horizontal(m_format) == DT_CENTER  ? (rc.left + rc.right - box.cx) / 2
            : Horizontal(m_format) == DT_RIGHT ? rc.right - box.cx - Scaled(2)
                                               : rc.left + Scaled(2);
    int y = (rc.top + rc.bottom - box.cy) / 2;
    RECT boxRect{x, y, x + box.cx, y + box.cy};
    if (HTHEME theme = win::ThemeFor(L"BUTTON", m_colors->dpi)) {
        static const int themed[4] = {CBS_UNCHECKEDNORMAL, CBS_CHECKEDNORMAL, CBS_MIXEDNORMAL,
                                      CBS_UNCHECKEDNORMAL};
        int disabled = (v & 4) ? CBS_UNCHECKEDDISABLED - CBS_UNCHECKEDNORMAL : 0;
        ::DrawThemeBackground(theme, m_dc, BP_CHECKBOX, themed[v & 3] + disabled, &boxRect, nullptr);
        return;
    }
    static const UINT states[4] = {DFCS_FLAT, DFCS_FLAT | DFCS_CHECKED,
                                   DFCS_FLAT | DFCS_CHECKED | DFCS_BUTTON3STATE, 0};
    UINT state = DFCS_BUTTONCHECK | states[v & 3] | ((v & 4) ? DFCS_INACTIVE : 0);
    ::DrawFrameControl(m_dc, &boxRect, DFC_BUTTON, state);
}

void C3StateOut::DrawCheckMark(const RECT& rc, COLORREF colour) {
    // A check mark of the menu check size, placed in the rectangle as the column's format says.
    SIZE box = CheckSize();
    int s = std::max(Scaled(6), std::min<int>(box.cy, rc.bottom - rc.top));
    int x = Horizontal(m_format) == DT_CENTER  ? (rc.left + rc.right - s) / 2
            : Horizontal(m_format) == DT_RIGHT ? rc.right - s
                                               : rc.left;
    int y = (rc.top + rc.bottom - s) / 2;
    int one = Scaled(1);
    int two = Scaled(2);
    POINT tick[3] = {{x + one, y + s / 2}, {x + s / 3 + one, y + s - two}, {x + s - one, y + two}};
    HPEN pen = ::CreatePen(PS_SOLID, two, colour);
    HGDIOBJ old = ::SelectObject(m_dc, pen);
    ::Polyline(m_dc, tick, 3);
    ::SelectObject(m_dc, old);
    ::DeleteObject(pen);
}

int C3StateOut::TextHeight() {
    return CheckSize().cy + Scaled(2);
}

int C3StateOut::MinWidth() {
    return m_mode == MODE_TEXT ? TextWidth(kNarrowest) : CheckSize().cx + Scaled(4);
}

int C3StateOut::TypicalWidth() {
    return m_mode == MODE_TEXT ? CCellOutputCString::TypicalWidth() : CheckSize().cx + Scaled(4);
}

int C3StateOut::ValueWidth(const CCellData* value) {
    return m_mode == MODE_TEXT ? CCellOutputCString::ValueWidth(value) : MinWidth();
}

std::string C3StateOut::ValueText(const CCellData* value) {
    return m_texts[value->GetInt() & 3];
}

std::string C3StateOut::TipText(const CCellData* value, int available) {
    if (m_mode == MODE_TEXT)
        return CCellOutputCString::TipText(value, available);
    int v = value->GetInt();
    return v >= 0 && v <= 2 ? m_texts[v] : kErrorText;
}

int C3StateOut::ContentWidth(const CColData* column, int rows) {
    return m_mode == MODE_TEXT ? CCellOutputCString::ContentWidth(column, rows) : CheckSize().cx;
}

CEnumOut::CEnumOut(int format, CAbstractEnum* enumeration, int style, HIMAGELIST images)
    : CCellOutputCString(format), m_enum(enumeration), m_images(images), m_style(images ? style : ENUM_TEXT),
      m_drawFormat(format & ~DT_NOCLIP) {
    m_enum->AddRef();
    if (m_images && ::ImageList_GetImageCount(m_images) > 0) {
        IMAGEINFO info = {};
        ::ImageList_GetImageInfo(m_images, 0, &info);
        m_imageWidth = info.rcImage.right - info.rcImage.left;
        m_imageHeight = info.rcImage.bottom - info.rcImage.top;
    }
}

CEnumOut::~CEnumOut() {
    m_enum->Release();
}

void CEnumOut::Begin(HDC dc) {
    CCellOutputCString::Begin(dc);
}

void CEnumOut::DrawCell(const RECT& text, const CCellData* value, bool selected) {
    const SEnumEntry& entry = m_enum->Lookup(value->GetInt());
    RECT rc = text;
    int align = Horizontal(m_format);
    if (m_style != ENUM_TEXT && entry.image >= 0) {
        int x = align == DT_CENTER  ? rc.left + (rc.right - rc.left - m_imageWidth) / 2
                : align == DT_RIGHT ? rc.right - m_imageWidth
                                    : rc.left;
        int y = rc.top + (rc.bottom - rc.top - m_imageHeight) / 2;
        ::ImageList_Draw(m_images, entry.image, m_dc, x, y, ILD_TRANSPARENT);
    }
    if (m_style == ENUM_IMAGE)
        return;
    if (m_style == ENUM_IMAGE_AND_TEXT) {
        if (align == DT_RIGHT)
            rc.right -= m_imageWidth + kImageGap;
        else if (align != DT_CENTER)
            rc.left += m_imageWidth + kImageGap;
    }
    ::SetTextColor(m_dc, TextColour(selected));
    ::DrawTextA(m_dc, entry.text.c_str(), static_cast<int>(entry.text.size()), &rc,
                static_cast<UINT>(m_drawFormat));
}

int CEnumOut::TextHeight() {
    switch (m_style) {
    case ENUM_IMAGE_AND_TEXT:
        return std::max(m_imageHeight, CCellOutputCString::TextHeight());
    case ENUM_IMAGE:
        return m_imageHeight;
    default:
        return CCellOutputCString::TextHeight();
    }
}

int CEnumOut::MinWidth() {
    return m_style == ENUM_TEXT ? TextWidth(kNarrowest) : m_imageWidth;
}

int CEnumOut::TypicalWidth() {
    if (m_style == ENUM_IMAGE)
        return m_imageWidth;
    int widest = MinWidth();
    if (auto* list = dynamic_cast<CEnum::CInternalEnum*>(m_enum))
        for (const SEnumEntry& entry : list->Entries())
            widest = std::max(widest, TextWidth(entry.text));
    return m_style == ENUM_IMAGE_AND_TEXT ? widest + m_imageWidth + kImageGap : widest;
}

int CEnumOut::ValueWidth(const CCellData* value) {
    switch (m_style) {
    case ENUM_IMAGE_AND_TEXT:
        return m_imageWidth + TextWidth(ValueText(value)) + kImageGap;
    case ENUM_IMAGE:
        return m_imageWidth;
    default:
        return TextWidth(ValueText(value));
    }
}

std::string CEnumOut::ValueText(const CCellData* value) {
    return m_enum->Lookup(value->GetInt()).text;
}

std::string CEnumOut::TipText(const CCellData* value, int available) {
    const SEnumEntry& entry = m_enum->Lookup(value->GetInt());
    if (!entry.text2.empty())
        return entry.text2;
    if (m_style != ENUM_IMAGE && ValueWidth(value) <= available)
        return {};
    return entry.text;
}

int CEnumOut::ContentWidth(const CColData* column, int rows) {
    if (m_style == ENUM_IMAGE)
        return m_imageWidth;
    int widest = 0;
    for (int row = 0; row < rows; ++row)
        widest = std::max(widest, TextWidth(ValueText(column->Cell(row))));
    return m_style == ENUM_IMAGE_AND_TEXT ? widest + m_imageWidth + kImageGap : widest;
}

CCellOutput* CreateOutput(const CColDef* def) {
    if (CCellOutput* own = def->CreateOutput())
        return own;
    if (auto* s = dynamic_cast<const CStringCol*>(def))
        return new CStringOut(s->drawFlags, s->format);
    if (auto* i = dynamic_cast<const CIntCol*>(def))
        return new CIntOut(i->drawFlags, i->format);
    if (auto* b = dynamic_cast<const CBoolCol*>(def))
        return new C3StateOut(b->drawFlags, b->checkMarks, b->texts);
    if (auto* e = dynamic_cast<const CEnumCol*>(def))
        return new CEnumOut(e->drawFlags, e->enumeration, e->mode);
    return nullptr;
}

} // namespace Tabra
