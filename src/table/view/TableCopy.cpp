// Copying the table control to the clipboard (rendered when pasted) and saving it as HTML.
#include "table/view/TableCtrl.h"

#include "table/model/Export.h"
#include "win/Clipboard.h"
#include "win/FileDialog.h"
#include "win/WaitCursor.h"

#include <cstdio>

namespace Tabra {

namespace {

constexpr DWORD kSaveFlags = 0x800006; // OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT

} // namespace

std::string CTableCtrl::CopyContent() {
    return CopyText(
        m_table, ColumnSet(), [this](int row, int col) { return GetCellText(row, col); }, m_copyAll);
}

void CTableCtrl::CopyCell(int row, int col) {
    win::CClipboard clipboard(m_hwnd);
    if (!clipboard.IsOpen())
        return;
    clipboard.Empty();
    clipboard.SetText(GetCellText(row, col));
}

void CTableCtrl::AnnounceCopy(bool all) {
    m_copyAll = all;
    win::CClipboard clipboard(m_hwnd);
    if (!clipboard.IsOpen())
        return;
    clipboard.Empty();
    clipboard.Announce(CF_TEXT);
}

void CTableCtrl::OnRenderFormat(UINT format) {
    if (format != CF_TEXT) {
        Default();
        return;
    }
    win::CWaitCursor wait;
    win::RenderClipboardText(CopyContent());
}

void CTableCtrl::OnRenderAllFormats() {
    // The control goes away before anyone pasted: leave the text behind rather than lose it.
    win::CClipboard clipboard(m_hwnd);
    if (clipboard.IsOpen() && ::GetClipboardOwner() == m_hwnd)
        win::RenderClipboardText(CopyContent());
}

void CTableCtrl::SaveAs() {
    std::string name = HtmlFileName(GetWindowText());
    if (!win::AskSaveFileName(m_hwnd, SAVE_FILTER, "html", name, kSaveFlags))
        return;
    std::string bytes =
        HtmlExport(m_table, ColumnSet(), [this](int row, int col) { return GetCellText(row, col); });
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

} // namespace Tabra
