#include "win/Window.h"

#include "win/ErrorReport.h"
#include "win/WaitCursor.h"

#include <commctrl.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace win {

namespace {

// The objects of the windows we route, by handle. A window property would do too, but under Wine
// every property read is a round trip to the window server, and this is read on every message.
class CObjectMap {
public:
    CWnd* Find(HWND hwnd) {
        std::lock_guard lock(m_mutex);
        auto found = m_objects.find(hwnd);
        return found == m_objects.end() ? nullptr : found->second;
    }
    void Set(HWND hwnd, CWnd* wnd) {
        std::lock_guard lock(m_mutex);
        m_objects[hwnd] = wnd;
    }
    void Erase(HWND hwnd, const CWnd* wnd) {
        std::lock_guard lock(m_mutex);
        if (auto found = m_objects.find(hwnd); found != m_objects.end() && found->second == wnd)
            m_objects.erase(found);
    }

private:
    std::mutex m_mutex;
    std::unordered_map<HWND, CWnd*> m_objects;
};

CObjectMap& Objects() {
    static CObjectMap objects;
    return objects;
}

// Our entry in a window's subclass chain (one per window: FromHandle refuses a second object).
constexpr UINT_PTR kSubclassId = 1;

// The object whose window CreateWindowEx is making on this thread; its first message links them.
thread_local CWnd* t_creating = nullptr;

// Our copies of standard control classes are named by this prefix and the control's class name.
constexpr std::string_view kCopyPrefix = "Velloran.";

// Mouse coordinates are signed 16-bit values (negative left of or above the window during capture).
POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

CWnd::~CWnd() {
    if (m_destroyed)
        *m_destroyed = true;
    if (!m_hwnd)
        return;
    bool owned = m_owned;
    HWND hwnd = m_subclassed ? UnsubclassWindow() : Detach();
    if (owned && hwnd)
        ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    return Objects().Find(hwnd);
}

bool CWnd::RegisterClass(const char* className, UINT classStyle, HCURSOR cursor, HBRUSH background,
                         HICON icon) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = cursor ? cursor : ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    if (::RegisterClassExA(&wc))
        return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWnd::Create(const char* className, const char* text, DWORD style, DWORD exStyle, const RECT& rect,
                  HWND parent, int id) {
    if (m_hwnd)
        return false;
    CWnd* outer = t_creating;
    t_creating = this;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    HWND hwnd =
        ::CreateWindowExA(exStyle, className, text, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent, menu, ::GetModuleHandleA(nullptr), nullptr);
    t_creating = outer;
    if (!hwnd) {
        // A window that failed in WM_CREATE is destroyed already, and with it our link.
        return false;
    }
    if (m_hwnd != hwnd) {
        // Not one of our classes: nothing reached StaticWindowProc.
        ::DestroyWindow(hwnd);
        return false;
    }
    m_owned = true;
    return true;
}

bool CWnd::CreateControl(const char* className, const char* text, DWORD style, DWORD exStyle,
                         const RECT& rect, HWND parent, int id) {
    if (m_hwnd)
        return false;
    std::string copyName;
    m_controlProc = ControlClass(className, copyName);
    if (m_controlProc && Create(copyName.c_str(), text, style, exStyle, rect, parent, id))
        return true;
    m_controlProc = nullptr;
    return false;
}

// The standard control classes ("EDIT", "BUTTON" ...) are copied under our own names with our procedure
// in front of the control's own. A subclass chain would do too, but it reads a window property on every
// message, and under Wine each read is a round trip to the window server.
WNDPROC CWnd::ControlClass(const char* className, std::string& copyName) {
    static std::mutex mutex;
    static std::unordered_map<std::string, WNDPROC> procs;
    copyName = std::string(kCopyPrefix) + className;
    std::lock_guard lock(mutex);
    if (auto found = procs.find(copyName); found != procs.end())
        return found->second;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExA(nullptr, className, &wc))
        return nullptr;
    WNDPROC proc = wc.lpfnWndProc;
    wc.lpfnWndProc = StaticControlProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = copyName.c_str();
    if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    procs.emplace(copyName, proc);
    return proc;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (m_hwnd || !hwnd || FromHandle(hwnd))
        return false;
    if (!::SetWindowSubclass(hwnd, StaticSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    AttachRouting(hwnd);
    m_subclassed = true;
    return true;
}

bool CWnd::SubclassDlgItem(int id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, id));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hwnd;
    if (hwnd && m_subclassed)
        ::RemoveWindowSubclass(hwnd, StaticSubclassProc, kSubclassId);
    DetachRouting();
    return hwnd;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hwnd;
    if (FromHandle(hwnd) == this)
        DetachRouting();
    m_hwnd = nullptr;
    m_owned = false;
    return hwnd;
}

bool CWnd::DestroyWindow() {
    return m_hwnd && ::DestroyWindow(m_hwnd) != FALSE;
}

void CWnd::AttachRouting(HWND hwnd) {
    m_hwnd = hwnd;
    Objects().Set(hwnd, this);
}

void CWnd::DetachRouting() {
    if (m_hwnd)
        Objects().Erase(m_hwnd, this);
    m_hwnd = nullptr;
    m_subclassed = false;
    m_owned = false;
    m_controlProc = nullptr;
}

LRESULT CWnd::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_subclassed)
        return ::DefSubclassProc(m_hwnd, msg, wParam, lParam);
    if (m_controlProc)
        return ::CallWindowProcA(m_controlProc, m_hwnd, msg, wParam, lParam);
    return ::DefWindowProcA(m_hwnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (!m_current || !m_hwnd)
        return 0;
    return CallPrevious(m_current->msg, m_current->wParam, m_current->lParam);
}

CWnd* CWnd::RoutingObject(HWND hwnd) {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd && t_creating) {
        wnd = t_creating;
        t_creating = nullptr;
        wnd->AttachRouting(hwnd);
    }
    return wnd;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CWnd* wnd = RoutingObject(hwnd))
        return Route(wnd, hwnd, msg, wParam, lParam);
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CWnd* wnd = RoutingObject(hwnd))
        return Route(wnd, hwnd, msg, wParam, lParam);
    // A control whose object has let it go (an owned one being destroyed by the object's destructor):
    // its own procedure, found by the name of its class copy.
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    std::string_view copy = name;
    std::string copyName;
    WNDPROC proc = nullptr;
    if (copy.substr(0, kCopyPrefix.size()) == kCopyPrefix)
        proc = ControlClass(std::string(copy.substr(kCopyPrefix.size())).c_str(), copyName);
    return proc ? ::CallWindowProcA(proc, hwnd, msg, wParam, lParam)
                : ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR object) {
    return Route(reinterpret_cast<CWnd*>(object), hwnd, msg, wParam, lParam);
}

LRESULT CWnd::Route(CWnd* wnd, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {

    SCurrentMsg current{msg, wParam, lParam};
    const SCurrentMsg* outer = wnd->m_current;
    bool destroyed = false;
    bool* outerDestroyed = wnd->m_destroyed;
    wnd->m_current = &current;
    wnd->m_destroyed = &destroyed;
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(msg, wParam, lParam);
    } catch (...) {
        if (msg == WM_CREATE)
            result = -1;
        else if (msg == WM_PAINT)
            ::ValidateRect(hwnd, nullptr); // no endless repaint of what failed to paint
        ReportException(hwnd);
    }
    if (destroyed) {
        // A handler destroyed the object: tell the outer calls, and touch nothing.
        if (outerDestroyed)
            *outerDestroyed = true;
        return result;
    }
    wnd->m_current = outer;
    wnd->m_destroyed = outerDestroyed;

    if (msg == WM_NCDESTROY && wnd->m_hwnd == hwnd) {
        if (wnd->m_subclassed)
            ::RemoveWindowSubclass(hwnd, StaticSubclassProc, kSubclassId);
        wnd->DetachRouting();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_COMMAND: {
        LRESULT result = 0;
        if (CWnd* child = ReflectTarget(reinterpret_cast<HWND>(lParam));
            child && child->OnReflectCommand(HIWORD(wParam), result))
            return result;
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        return Default();
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (CWnd* child = ReflectTarget(header->hwndFrom); child && child->OnReflectNotify(header, result))
            return result;
        if (OnNotify(header, result))
            return result;
        return Default();
    }
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam)) ? 1 : 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointFromLParam(lParam));
        return 0;
    case WM_MOUSEHWHEEL:
        // Answering TRUE keeps some mouse drivers sending the tilt's repeats.
        OnMouseHWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointFromLParam(lParam));
        return TRUE;
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_KEYUP:
        OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETDLGCODE:
        return OnGetDlgCode();
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam)) ? TRUE : FALSE;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_RENDERFORMAT:
        OnRenderFormat(static_cast<UINT>(wParam));
        return 0;
    case WM_RENDERALLFORMATS:
        OnRenderAllFormats();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<LRESULT>(
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg));
    default:
        return Default();
    }
}

int CWnd::OnCreate(CREATESTRUCTA*) {
    return static_cast<int>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
bool CWnd::OnCommand(int, int, HWND) {
    return false;
}
bool CWnd::OnNotify(NMHDR*, LRESULT&) {
    return false;
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
bool CWnd::OnEraseBkgnd(HDC) {
    return Default() != 0;
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
void CWnd::OnMouseMove(UINT, POINT) {
    Default();
}
void CWnd::OnLButtonDown(UINT, POINT) {
    Default();
}
void CWnd::OnLButtonUp(UINT, POINT) {
    Default();
}
void CWnd::OnLButtonDblClk(UINT, POINT) {
    Default();
}
void CWnd::OnRButtonDown(UINT, POINT) {
    Default();
}
void CWnd::OnRButtonUp(UINT, POINT) {
    Default();
}
void CWnd::OnMouseWheel(UINT, short, POINT) {
    Default();
}
void CWnd::OnCaptureChanged(HWND) {
    Default();
}
void CWnd::OnKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT) {
    Default();
}
UINT CWnd::OnGetDlgCode() {
    return static_cast<UINT>(Default());
}
void CWnd::OnSetFocus(HWND) {
    Default();
}
void CWnd::OnKillFocus(HWND) {
    Default();
}
void CWnd::OnHScroll(UINT, int, HWND) {
    Default();
}
void CWnd::OnVScroll(UINT, int, HWND) {
    Default();
}
void CWnd::OnContextMenu(HWND, POINT) {
    Default();
}
void CWnd::OnMouseHWheel(UINT, short, POINT) {
    Default();
}
void CWnd::OnSysColorChange() {
    // Only top-level windows hear of it: pass it on, so that child controls repaint in the new colours.
    for (HWND child = ::GetWindow(m_hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    Default();
}
void CWnd::OnRenderFormat(UINT) {
    Default();
}
void CWnd::OnRenderAllFormats() {
    Default();
}

bool CWnd::OnSetCursor(HWND, UINT, UINT) {
    if (CWaitCursor::IsActive()) {
        CWaitCursor::Restore();
        return true;
    }
    return Default() != 0;
}

HBRUSH CWnd::OnCtlColor(HDC dc, HWND child, UINT msg) {
    if (CWnd* c = FromHandle(child); c && c != this) {
        if (HBRUSH brush = c->OnReflectCtlColor(dc, msg))
            return brush;
    }
    return reinterpret_cast<HBRUSH>(Default());
}

HBRUSH CWnd::OnReflectCtlColor(HDC, UINT) {
    return nullptr;
}

bool CWnd::OnReflectCommand(int, LRESULT&) {
    return false;
}

bool CWnd::OnReflectNotify(NMHDR*, LRESULT&) {
    return false;
}

CWnd* CWnd::ReflectTarget(HWND child) {
    CWnd* target = child ? FromHandle(child) : nullptr;
    return target != this ? target : nullptr;
}

std::string CWnd::GetWindowText() const {
    // Most texts are short: one message reads them; a longer one is measured and read again.
    char shortText[256];
    int copied = ::GetWindowTextA(m_hwnd, shortText, sizeof shortText);
    if (copied < static_cast<int>(sizeof shortText) - 1)
        return std::string(shortText, copied > 0 ? static_cast<size_t>(copied) : 0);
    int length = ::GetWindowTextLengthA(m_hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    copied = ::GetWindowTextA(m_hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

RECT CWnd::GetClientRect() const {
    RECT rc = {};
    ::GetClientRect(m_hwnd, &rc);
    return rc;
}

RECT CWnd::GetRectInParent() const {
    const bool child = (::GetWindowLongA(m_hwnd, GWL_STYLE) & WS_CHILD) != 0;
    return WindowRectIn(m_hwnd, child ? ::GetParent(m_hwnd) : nullptr);
}

RECT WindowRectIn(HWND window, HWND parent) {
    RECT rc = {};
    ::GetWindowRect(window, &rc);
    if (parent)
        ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

} // namespace win
