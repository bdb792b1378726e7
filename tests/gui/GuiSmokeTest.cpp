// Raw Win32 smoke test: a registered class, a real top-level window, sent and posted messages
// through a bounded message loop, and GDI painting into a memory DC read back pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

constexpr UINT kAddMessage = WM_APP + 1;
constexpr UINT kPostedMessage = WM_APP + 2;
constexpr char kClassName[] = "VelloranGuiSmoke";

struct SSmokeState {
    int created = 0;
    LPARAM postedValue = 0;
    int postedCount = 0;
};

LRESULT CALLBACK SmokeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<SSmokeState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        break;
    }
    case WM_CREATE:
        if (state)
            ++state->created;
        return 0;
    case kAddMessage:
        return static_cast<LRESULT>(wParam + lParam);
    case kPostedMessage:
        if (state) {
            state->postedValue = lParam;
            ++state->postedCount;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class GuiSmoke : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = SmokeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.lpszClassName = kClassName;
        m_atom = RegisterClassExA(&wc);
        ASSERT_NE(m_atom, 0) << GetLastError();
        m_hwnd = CreateWindowExA(0, kClassName, "smoke", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                 nullptr, wc.hInstance, &m_state);
        ASSERT_NE(m_hwnd, nullptr) << GetLastError();
    }
    void TearDown() override {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
        if (m_atom)
            UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
    }

    ATOM m_atom = 0;
    HWND m_hwnd = nullptr;
    SSmokeState m_state;
};

TEST_F(GuiSmoke, WindowIsCreatedWithItsClass) {
    EXPECT_EQ(m_state.created, 1);
    char name[64] = {};
    GetClassNameA(m_hwnd, name, sizeof name);
    EXPECT_STREQ(name, kClassName);
    ShowWindow(m_hwnd, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(m_hwnd));
}

TEST_F(GuiSmoke, SentMessageReturnsTheProcedureResult) {
    EXPECT_EQ(SendMessageA(m_hwnd, kAddMessage, 40, 2), 42);
    EXPECT_EQ(SendMessageA(m_hwnd, kAddMessage, 7, -7), 0);
}

TEST_F(GuiSmoke, PostedMessageArrivesThroughTheMessageLoop) {
    ASSERT_TRUE(PostMessageA(m_hwnd, kPostedMessage, 0, 1234));
    EXPECT_EQ(m_state.postedCount, 0) << "posted messages wait for the loop";
    DWORD start = GetTickCount();
    MSG msg;
    while (m_state.postedCount == 0 && GetTickCount() - start < 10000) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    EXPECT_EQ(m_state.postedCount, 1);
    EXPECT_EQ(m_state.postedValue, 1234);
}

TEST(GuiSmokeGdi, FilledRectangleInDibSectionHasItsColour) {
    constexpr int kWidth = 40, kHeight = 30;
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    HDC mem = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(mem, nullptr);

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = -kHeight; // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    HGDIOBJ old = SelectObject(mem, dib);

    RECT all = {0, 0, kWidth, kHeight};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(mem, &all, white);
    RECT inner = {10, 5, 20, 15};
    HBRUSH red = CreateSolidBrush(RGB(200, 30, 10));
    FillRect(mem, &inner, red);
    GdiFlush();

    struct Case {
        int x, y;
        COLORREF colour;
    } cases[] = {
        {10, 5, RGB(200, 30, 10)},  {19, 14, RGB(200, 30, 10)},   {15, 10, RGB(200, 30, 10)},
        {9, 5, RGB(255, 255, 255)}, {20, 14, RGB(255, 255, 255)}, {10, 15, RGB(255, 255, 255)},
        {0, 0, RGB(255, 255, 255)}, {39, 29, RGB(255, 255, 255)},
    };
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (const Case& c : cases) {
        EXPECT_EQ(GetPixel(mem, c.x, c.y), c.colour) << c.x << "," << c.y;
        // A 32-bit DIB stores blue, green, red from the low byte up.
        DWORD p = pixels[c.y * kWidth + c.x] & 0xFFFFFF;
        COLORREF fromBits = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        EXPECT_EQ(fromBits, c.colour) << c.x << "," << c.y;
    }

    SelectObject(mem, old);
    DeleteObject(red);
    DeleteObject(white);
    DeleteObject(dib);
    DeleteDC(mem);
}

TEST(GuiSmokeGdi, CompatibleBitmapKeepsDrawnText) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 100, 30);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bmp, nullptr);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all = {0, 0, 100, 30};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(mem, RGB(0, 0, 0));
    SetBkMode(mem, TRANSPARENT);
    TextOutA(mem, 2, 2, "WWW", 3);
    int dark = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (GetPixel(mem, x, y) == RGB(0, 0, 0))
                ++dark;
    EXPECT_GT(dark, 10) << "text drawing left no black pixels";
    EXPECT_EQ(GetPixel(mem, 99, 29), RGB(255, 255, 255));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

} // namespace
