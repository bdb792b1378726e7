// velloran_probe.exe: drives the running program from outside, for the demo and the responsiveness
// measurement.
//   velloran_probe close [timeoutMs]         posts WM_CLOSE to the main window and waits until it is gone
//   velloran_probe watch [timeoutMs]         waits for a query run to start and end while sending WM_NULL
//                                            to the window every 100 ms; prints the round-trip latencies
//                                            and the run's duration
//   velloran_probe tab <index>               clicks the tab of the given index
//   velloran_probe click <id> <row>          clicks a row of the table with the dialog id
#include "app/BrowserDlg.h"
#include "app/res/resource.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND WaitForWindow(double deadline) {
    for (;;) {
        if (HWND hwnd = ::FindWindowA(nullptr, app::kAppName))
            return hwnd;
        if (NowMs() > deadline)
            return nullptr;
        ::Sleep(100);
    }
}

int Close(double timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    HWND hwnd = WaitForWindow(deadline);
    if (!hwnd) {
        std::puts("no main window");
        return 1;
    }
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    while (::IsWindow(hwnd)) {
        if (NowMs() > deadline) {
            std::puts("the main window did not close");
            return 1;
        }
        ::Sleep(50);
    }
    std::puts("closed");
    return 0;
}

// The "Servers to Query" label; -1 when the window does not answer.
int ServersToQuery(HWND hwnd) {
    char text[32] = {};
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutA(::GetDlgItem(hwnd, IDC_SERVERS_TO_QUERY), WM_GETTEXT, sizeof text,
                               reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &ignored))
        return -1;
    return std::atoi(text);
}

int Watch(double timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    HWND hwnd = WaitForWindow(deadline);
    if (!hwnd) {
        std::puts("no main window");
        return 1;
    }
    std::vector<double> latencies;
    double started = -1;
    double ended = -1;
    int timeouts = 0;
    double beforeRun = 0;
    while (NowMs() < deadline && ::IsWindow(hwnd)) {
        const double before = NowMs();
        // A sample counts for the run only when the run was seen before it was sent.
        const bool inRun = started >= 0;
        DWORD_PTR ignored = 0;
        const bool answered = ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0;
        const double latency = NowMs() - before;
        const int remaining = ServersToQuery(hwnd);
        if (started < 0 && remaining > 0)
            started = before;
        // Only the run counts: the master query before it runs on the window's thread by design.
        if (!inRun)
            beforeRun = std::max(beforeRun, latency);
        else if (answered)
            latencies.push_back(latency);
        else
            ++timeouts;
        if (started >= 0 && remaining == 0) {
            ended = NowMs();
            break;
        }
        const double next = before + 100;
        while (NowMs() < next)
            ::Sleep(static_cast<DWORD>(std::max(1.0, next - NowMs())));
    }
    std::printf("before the run (master query): max latency %.2f ms\n", beforeRun);
    if (latencies.empty()) {
        std::puts("no answers during a run");
        return 1;
    }
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    auto at = [&](double q) {
        return sorted[std::min(sorted.size() - 1, static_cast<size_t>(q * sorted.size()))];
    };
    std::printf("during the run: samples %zu, timeouts %d, latency ms: p50 %.2f p90 %.2f p99 %.2f max %.2f\n",
                sorted.size(), timeouts, at(0.5), at(0.9), at(0.99), sorted.back());
    if (started >= 0 && ended >= 0)
        std::printf("query run %.2f s (from the first count to 0, +-0.1 s)\n", (ended - started) / 1000.0);
    else
        std::puts("no complete query run seen");
    return started >= 0 && ended >= 0 ? 0 : 2;
}

void Click(HWND window, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(window, WM_LBUTTONUP, 0, at);
}

// The tabs sit at the control's top left; the second begins after the first's text, which grows with
// the DPI (the screen's, which the program's window has under Wine).
int ClickTab(int index) {
    HWND hwnd = WaitForWindow(NowMs() + 5000);
    if (!hwnd)
        return 1;
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    Click(::GetDlgItem(hwnd, IDC_TABS), ::MulDiv(20 + index * 70, dpi, 96), ::MulDiv(10, dpi, 96));
    return 0;
}

int ClickRow(int id, int row) {
    HWND hwnd = WaitForWindow(NowMs() + 5000);
    HWND body = hwnd ? ::FindWindowExA(::GetDlgItem(hwnd, id), nullptr, "TabraBody", nullptr) : nullptr;
    if (!body) {
        std::puts("no table body");
        return 1;
    }
    // Rows are about as high as the dialog font; the middle of the row's first column.
    const int rowHeight = 16;
    Click(body, 20, row * rowHeight + rowHeight / 2);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const double timeoutMs = argc > 2 ? std::atof(argv[2]) : 30000;
    if (command == "close")
        return Close(timeoutMs);
    if (command == "watch")
        return Watch(timeoutMs);
    if (command == "tab" && argc > 2)
        return ClickTab(std::atoi(argv[2]));
    if (command == "click" && argc > 3)
        return ClickRow(std::atoi(argv[2]), std::atoi(argv[3]));
    std::fputs("usage: velloran_probe close|watch [timeoutMs] | tab <index> | click <id> <row>\n", stderr);
    return 2;
}
