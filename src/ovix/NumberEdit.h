// CNumberEdit: a spin edit that holds a number within a range, shown in the user's number format, with
// digit grouping only while it does not have the focus.
//
// Reading the text: grouping characters are dropped, a minus anywhere makes the number negative, and
// the leading number counts ("12ab" reads 12). A text that starts with no number reads as 0 and is
// replaced by it; a number outside the range reads as the nearer bound and is replaced by it. A blank
// text stays blank when the focus comes and goes. Text that does not read as a number in range is shown
// in red; otherwise the edit keeps its state colours.
#pragma once

#include "ovix/SpinEdit.h"
#include "table/model/Format.h"

#include <optional>
#include <string>

namespace Ovix {

class CNumberEdit : public CSpinEdit {
public:
    static constexpr COLORREF kInvalidColor = RGB(255, 0, 0);

    // A reversed range is taken the right way round.
    void SetRange(double minimum, double maximum);
    // Digits after the decimal character, at most 9.
    void SetDecimalPlaces(unsigned places);

    // Shows value clamped to the range; returns the value shown.
    double SetNumber(double value);
    // The number the text reads as (see above).
    double GetNumber();

    // Sets the number read plus delta and selects all.
    void Step(int delta) override;

protected:
    void OnSetFocus(HWND oldFocus) override;
    void OnKillFocus(HWND newFocus) override;
    // Lets digits, signs and the format's separators through; other characters beep.
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    COLORREF AlertColor() const override;

private:
    struct SRead {
        double value;
        bool whole; // the number is all of the text
    };
    std::optional<SRead> Read(const std::string& text) const;
    std::string Format(double value) const;
    bool IsBlank() const;
    // Reads the text and shows it again in the format of the focus state.
    void Reformat();

    Tabra::CNumberFormat m_format{false};
    double m_minimum = -1000000000.0;
    double m_maximum = 1000000000.0;
    bool m_focused = false;
};

} // namespace Ovix
