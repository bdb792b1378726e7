// Cell renderers: each column of a table owns one. They draw a cell's value into its text rectangle
// and answer the texts and widths the control needs (row height, column widths, type-ahead, copy,
// tooltips). Everything that measures or draws needs a context: bracket it with Begin and End.
#pragma once

#include "table/model/ColDef.h"
#include "table/model/Row.h"

#include "win/Dpi.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace Tabra {

// The text colours and the font of a table, owned by the control.
struct SColorSet {
    COLORREF text = 0;
    COLORREF selectedText = 0xFFFFFF;
    HFONT font = nullptr;
    int dpi = 96; // the DPI the font is made for; the glyphs scale with it
};

class CCellOutput {
public:
    // Renderers start with the system colours and font until the control gives them its own.
    explicit CCellOutput(int format) : m_colors(DefaultColors()), m_format(format) {}
    virtual ~CCellOutput() = default;
    CCellOutput(const CCellOutput&) = delete;
    CCellOutput& operator=(const CCellOutput&) = delete;

    virtual void SetEditMode(bool) {}
    // Remembers dc, saves its state, selects the table font and a transparent background.
    virtual void Begin(HDC dc);
    virtual void End();
    virtual void DrawCell(const RECT& text, const CCellData* value, bool selected) = 0;
    virtual int TextHeight();
    virtual int MinWidth();
    virtual int TypicalWidth() { return 80; }
    virtual int ValueWidth(const CCellData* value);
    virtual std::string ValueText(const CCellData* value) = 0;
    // The whole text when it does not fit into available pixels, else "".
    virtual std::string TipText(const CCellData* value, int available);
    // The width needed to show every value of the column.
    virtual int ContentWidth(const CColData* column, int rows);
    // A colour of the value's own, or NO_COLOR for the default text colour.
    virtual COLORREF ValueColour(const CCellData* value, bool selected);

    void SetColors(const SColorSet* colors) { m_colors = colors; }
    int GetFormat() const { return m_format; }

protected:
    int TextWidth(const std::string& text) const;
    // px pixels at 96 DPI, at the DPI of the colour set's font.
    int Scaled(int px) const { return win::ScaleToDpi(px, m_colors->dpi); }
    COLORREF TextColour(bool selected) const { return selected ? m_colors->selectedText : m_colors->text; }
    // The value's colour, or the selected or normal text colour when it has none.
    COLORREF DrawColour(const CCellData* value, bool selected);

    const SColorSet* m_colors;
    HDC m_dc = nullptr;
    int m_format;
    int m_saved = 0;

private:
    static const SColorSet* DefaultColors();
};

// Begin on a context for the scope, End at its end.
class CRenderScope {
public:
    CRenderScope(CCellOutput& output, HDC dc) : m_output(output) { output.Begin(dc); }
    ~CRenderScope() { m_output.End(); }
    CRenderScope(const CRenderScope&) = delete;
    CRenderScope& operator=(const CRenderScope&) = delete;

private:
    CCellOutput& m_output;
};

// Values whose text is built as a string.
class CCellOutputCString : public CCellOutput {
public:
    using CCellOutput::CCellOutput;
    void DrawCell(const RECT& text, const CCellData* value, bool selected) override;
};

// Values whose text is written into a buffer of the renderer.
class CCellOutputCharPtr : public CCellOutput {
public:
    using CCellOutput::CCellOutput;
    void DrawCell(const RECT& text, const CCellData* value, bool selected) override;
    int ValueWidth(const CCellData* value) override;
    std::string ValueText(const CCellData* value) override { return ValueChars(value); }
    virtual const char* ValueChars(const CCellData* value) = 0;
};

class CStringOut : public CCellOutputCString {
public:
    CStringOut(int format, const CFormat& textFormat);
    std::string ValueText(const CCellData* value) override;
    COLORREF ValueColour(const CCellData* value, bool selected) override;

private:
    CFormat m_textFormat;
};

class CIntOut : public CCellOutputCharPtr {
public:
    CIntOut(int format, const CIntFormat& intFormat);
    const char* ValueChars(const CCellData* value) override;
    COLORREF ValueColour(const CCellData* value, bool selected) override;
    int MinWidth() override;
    int TypicalWidth() override;
    int ContentWidth(const CColData* column, int rows) override;

private:
    CIntFormat m_intFormat;
    std::string m_buffer;
};

// Three-state values: low two bits 0 off, 1 on, 2 third state, 3 error; bit 2 drawn inactive.
class C3StateOut : public CCellOutputCString {
public:
    enum Mode { MODE_TEXT = 0, MODE_GLYPH = 1, MODE_CHECKBOX = 2 };

    C3StateOut(int format, bool checkMarks, const std::string texts[3]);
    void SetEditMode(bool edit) override;
    void DrawCell(const RECT& text, const CCellData* value, bool selected) override;
    int TextHeight() override;
    int MinWidth() override;
    int TypicalWidth() override;
    int ValueWidth(const CCellData* value) override;
    std::string ValueText(const CCellData* value) override;
    std::string TipText(const CCellData* value, int available) override;
    int ContentWidth(const CColData* column, int rows) override;

    int GetMode() const { return m_mode; }

private:
    SIZE CheckSize() const;
    void DrawCheckMark(const RECT& rc, COLORREF colour);

    int m_mode;
    std::string m_texts[4];
};

class CEnumOut : public CCellOutputCString {
public:
    // images may be null; the enumeration is referenced for the renderer's lifetime.
    CEnumOut(int format, CAbstractEnum* enumeration, int style, HIMAGELIST images = nullptr);
    ~CEnumOut() override;
    void Begin(HDC dc) override;
    void DrawCell(const RECT& text, const CCellData* value, bool selected) override;
    int TextHeight() override;
    int MinWidth() override;
    int TypicalWidth() override;
    int ValueWidth(const CCellData* value) override;
    std::string ValueText(const CCellData* value) override;
    std::string TipText(const CCellData* value, int available) override;
    int ContentWidth(const CColData* column, int rows) override;

    int GetStyle() const { return m_style; }

private:
    CAbstractEnum* m_enum;
    HIMAGELIST m_images;
    int m_style;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_drawFormat;
};

// The renderer of a column type: the type's own, or the standard one of the four model types.
// Null for an unknown type. Owned by the caller.
CCellOutput* CreateOutput(const CColDef* def);

} // namespace Tabra
