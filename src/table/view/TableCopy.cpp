// Copying the table control to the clipboard and saving it as HTML.
#include "table/view/TableCtrl.h"

#include "table/model/Export.h"
#include "win/Clipboard.h"
#include "win/ErrorReport.h"
#include "win/FileDialog.h"
#include "win/FileSave.h"
#include "win/WaitCursor.h"

namespace Tabra {

namespace {

constexpr DWORD kSaveFlags = 0x800006; // OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT

} // namespace

std::string CTableCtrl::CopyContent(bool all) {
    return CopyText(
        m_table, ColumnSet(), [this](int row, int col) { return GetCellText(row, col); }, all);
}

void CTableCtrl::CopyCell(int row, int col) {
    PutOnClipboard(GetCellText(row, col));
}

void CTableCtrl::CopyRows(bool all) {
    // The text is taken now: a later click or refill must not change what the user copied.
    win::CWaitCursor wait;
    PutOnClipboard(CopyContent(all));
}

void CTableCtrl::PutOnClipboard(const std::string& text) {
    win::CClipboard clipboard(m_hwnd);
    if (!clipboard.IsOpen())
        return;
    clipboard.Empty();
    clipboard.SetText(text);
}

void CTableCtrl::SaveAs() {
    std::string name = HtmlFileName(GetWindowText());
    if (!win::AskSaveFileName(m_hwnd, kSaveFilter, "html", name, kSaveFlags))
        return;
    std::string bytes =
        HtmlExport(m_table, ColumnSet(), [this](int row, int col) { return GetCellText(row, col); });
    DWORD error = 0;
    if (!win::SaveFileReplacing(name, bytes, error))
        win::ShowMessage(m_hwnd, "Could not save " + name + ":\n" + win::SystemErrorText(error));
}

} // namespace Tabra
