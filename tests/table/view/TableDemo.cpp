// A resizable window with one table control of 10,000 generated server rows, for looking at the
// control by hand and for screenshots. Not a test and not shipped.
//
// Options: --sort (Players descending, then Ping), --select (rows 3 to 6 and 9).
#include "table/model/ColDef.h"
#include "table/model/Enum.h"
#include "table/view/TableCtrl.h"
#include "win/Controls.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kTableId = 100;
constexpr int kRows = 10000;

class CDemoWindow : public win::CWnd {
public:
    Tabra::CTableCtrl table;

protected:
    void OnSize(UINT, int cx, int cy) override {
        if (table.GetHwnd())
            ::SetWindowPos(table, nullptr, 8, 8, cx - 16, cy - 16, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void OnDestroy() override { ::PostQuitMessage(0); }
};

const char* const kMaps[] = {"oasis", "battery", "goldrush", "radar", "railgun", "fueldump", "siwa_oasis_b3"};
const char* const kNames[] = {
    "^1Ultimate ^7Warfare",     "Fearless Assassins", "Ultimate Terror Clan |UT|",
    "Nitmod Public #2",         "ETc Jaymod",         "Wolfenstein Classic 24/7 Oasis",
    "Omni-Bot Training Grounds"};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    bool sort = std::strstr(commandLine, "--sort") != nullptr;
    bool select = std::strstr(commandLine, "--select") != nullptr;
    win::InitControls();

    CDemoWindow window;
    win::CWnd::RegisterClass("TabraDemo", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    window.Create("TabraDemo", "Tabra table demo - 10,000 rows", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                  RECT{40, 40, 1000, 640}, nullptr);
    ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 8, 8, 900, 560, window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTableId)), nullptr, nullptr);
    Tabra::CTableCtrl& table = window.table;
    table.Create(window, kTableId);

    Tabra::CStringCol text(Tabra::DRAW_LEFT);
    Tabra::CIntCol number(Tabra::DRAW_RIGHT);
    Tabra::CBoolCol punkBuster(Tabra::DRAW_CENTER, "Yes", "No", true);
    Tabra::CEnum types("Objective\nStopwatch\nCampaign\nLast Man Standing");
    Tabra::CEnumCol type(types.Get(), Tabra::ENUM_TEXT);
    table.SetColumnCount(7);
    table.DefineColumn(0, &text, "Server", 170);
    table.DefineColumn(1, &text, "Map", 100);
    table.DefineColumn(2, &number, "Players", 60);
    table.DefineColumn(3, &number, "Ping", 50);
    table.DefineColumn(4, &punkBuster, "PB\nPunkBuster", 30);
    table.DefineColumn(5, &type, "Type", 110);
    table.DefineColumn(6, &text, "Address", 130);
    table.EndColumns(-1);

    unsigned seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int i = 0; i < kRows; ++i) {
        Tabra::CRow* row = table.AddRow();
        char name[96];
        std::snprintf(name, sizeof name, "%s %d", kNames[next() % 7], i);
        row->Cell(0)->SetText(name);
        row->Cell(1)->SetText(kMaps[next() % 7]);
        row->Cell(2)->SetInt(static_cast<int>(next() % 33));
        row->Cell(3)->SetInt(static_cast<int>(20 + next() % 280));
        row->Cell(4)->SetInt(static_cast<int>(next() % 3));
        row->Cell(5)->SetInt(static_cast<int>(next() % 4));
        char address[32];
        std::snprintf(address, sizeof address, "10.%u.%u.%u:27960", next() % 256, next() % 256, next() % 256);
        row->Cell(6)->SetText(address);
    }
    if (sort)
        table.Sort(Tabra::CSortKeys{2, 1, 3, 0});
    if (select) {
        table.SelectRange(3, 6, true);
        table.Select(9, true);
        table.SetCursor(9, -1);
    }
    RECT client = window.GetClientRect();
    ::SetWindowPos(table, nullptr, 8, 8, client.right - 16, client.bottom - 16, SWP_NOZORDER);
    table.Update(true);
    window.ShowWindow(SW_SHOW);
    ::SetFocus(table);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
