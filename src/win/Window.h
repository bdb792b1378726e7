// CWnd: the window wrapper of the window layer.
//
// One C++ object stands for one window. Windows of our own classes are created with Create; existing
// windows (standard controls, dialog items) are subclassed. Every message goes through one static
// window procedure to the virtual WindowProc, whose switch calls the virtual On... handlers. A handler
// that is not overridden passes the message on with Default() to the window's previous procedure
// (the original control procedure, DefWindowProc, or the dialog manager's procedure).
//
// WM_COMMAND and WM_NOTIFY from a child that is routed by a CWnd go to that child first
// (OnReflectCommand, OnReflectNotify), as the control colours do; a child that consumes one keeps it
// from the parent.
//
// An exception that escapes a handler is caught at the window procedure and reported (ReportException):
// WM_CREATE then answers -1 (the window is not made), and an object destroyed by a handler is never
// touched again.
#pragma once

#include <windows.h>

#include <string>

namespace win {

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Unsubclasses a subclassed window; destroys a window this object created.
    virtual ~CWnd();

    HWND GetHwnd() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }

    // The object routing the messages of hwnd, or nullptr when it is not one of ours.
    static CWnd* FromHandle(HWND hwnd);

    // Registers a window class whose windows are routed to CWnd objects. Registering a name again is
    // not an error. background is a brush or a system colour index + 1, as in WNDCLASS.
    static bool RegisterClass(const char* className, UINT classStyle = CS_DBLCLKS, HCURSOR cursor = nullptr,
                              HBRUSH background = nullptr, HICON icon = nullptr);

    // Creates a window of a class registered with RegisterClass; this object owns it.
    bool Create(const char* className, const char* text, DWORD style, DWORD exStyle, const RECT& rect,
                HWND parent, int id = 0);
    // Creates a window of a standard control class ("EDIT", "BUTTON", WC_TABCONTROLA ...) whose messages
    // this object routes before the control's own procedure; this object owns it.
    bool CreateControl(const char* className, const char* text, DWORD style, DWORD exStyle, const RECT& rect,
                       HWND parent, int id);

    // Routes the messages of an existing window through this object until it is destroyed or
    // UnsubclassWindow is called. Fails for a window that another CWnd already routes.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(int id, HWND parent);
    // Gives the window its previous procedure back and forgets it.
    HWND UnsubclassWindow();

    // Wraps a handle without routing its messages (for controls that are only called).
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND Detach();

    bool DestroyWindow();

    // Passes the message being handled on to the previous window procedure.
    LRESULT Default();

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hwnd, msg, wParam, lParam);
    }
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hwnd, msg, wParam, lParam) != FALSE;
    }

    // Small conveniences used throughout the program.
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hwnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
    HWND GetParent() const { return ::GetParent(m_hwnd); }
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hwnd, text.c_str()); }
    RECT GetClientRect() const;
    // The window rectangle in the client coordinates of its parent (screen coordinates without one).
    RECT GetRectInParent() const;
    void ShowWindow(int cmd) { ::ShowWindow(m_hwnd, cmd); }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hwnd) != FALSE; }
    void Invalidate(bool erase = true) { ::InvalidateRect(m_hwnd, nullptr, erase); }

    // Timers: WM_TIMER arrives at OnTimer with the id.
    bool SetTimer(UINT_PTR id, UINT milliseconds) {
        return ::SetTimer(m_hwnd, id, milliseconds, nullptr) != 0;
    }
    bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hwnd, id) != FALSE; }

    // Mouse capture; losing it for any reason arrives at OnCaptureChanged.
    void SetCapture() { ::SetCapture(m_hwnd); }
    static void ReleaseCapture() { ::ReleaseCapture(); }
    bool HasCapture() const { return m_hwnd && ::GetCapture() == m_hwnd; }

protected:
    // The message switch. Overrides handle their own messages and call the base for the rest.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Handlers. Each default passes the message on with Default().
    virtual int OnCreate(CREATESTRUCTA* cs);
    virtual void OnDestroy();
    // Called after the last message (WM_NCDESTROY); the object no longer has a window.
    virtual void PostNcDestroy() {}
    // WM_COMMAND: true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // WM_NOTIFY: true when handled, the answer in result.
    virtual bool OnNotify(NMHDR* header, LRESULT& result);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual void OnPaint();
    virtual bool OnEraseBkgnd(HDC dc);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnMouseMove(UINT flags, POINT pt);
    virtual void OnLButtonDown(UINT flags, POINT pt);
    virtual void OnLButtonUp(UINT flags, POINT pt);
    virtual void OnLButtonDblClk(UINT flags, POINT pt);
    virtual void OnRButtonDown(UINT flags, POINT pt);
    virtual void OnRButtonUp(UINT flags, POINT pt);
    // pt in screen coordinates, as the message gives it.
    virtual void OnMouseWheel(UINT flags, short delta, POINT pt);
    virtual void OnMouseHWheel(UINT flags, short delta, POINT pt);
    virtual void OnSysColorChange();
    virtual void OnCaptureChanged(HWND newCapture);
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnKeyUp(UINT key, UINT repeat, UINT flags);
    virtual void OnChar(UINT ch, UINT repeat, UINT flags);
    virtual UINT OnGetDlgCode();
    virtual void OnSetFocus(HWND oldFocus);
    virtual void OnKillFocus(HWND newFocus);
    // The default shows the wait cursor while a CWaitCursor is alive.
    virtual bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMsg);
    virtual void OnHScroll(UINT code, int pos, HWND scrollBar);
    virtual void OnVScroll(UINT code, int pos, HWND scrollBar);
    virtual void OnContextMenu(HWND window, POINT screenPt);
    // Delayed clipboard rendering: put the data with RenderClipboardData (Clipboard.h).
    virtual void OnRenderFormat(UINT format);
    virtual void OnRenderAllFormats();
    // WM_CTLCOLOR... for a child: the default asks the child itself (OnReflectCtlColor) first.
    virtual HBRUSH OnCtlColor(HDC dc, HWND child, UINT msg);
    // A child's chance to choose its own colours; nullptr leaves it to the parent's default.
    virtual HBRUSH OnReflectCtlColor(HDC dc, UINT msg);
    // A child's own WM_COMMAND notification (code) before its parent sees it: true consumes it, with
    // result as the answer.
    virtual bool OnReflectCommand(int code, LRESULT& result);
    // The same for WM_NOTIFY.
    virtual bool OnReflectNotify(NMHDR* header, LRESULT& result);

    HWND m_hwnd = nullptr;

private:
    struct SCurrentMsg {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    // The procedure of the classes we register, and our entry in the subclass chain of other windows.
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The procedure of our copies of standard control classes.
    static LRESULT CALLBACK StaticControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                               DWORD_PTR object);
    // The object of hwnd; the object being created links to it at its first message.
    static CWnd* RoutingObject(HWND hwnd);
    // Registers (once) our copy of a standard control class; answers the control's own procedure
    // (nullptr for an unknown class) and the copy's name.
    static WNDPROC ControlClass(const char* className, std::string& copyName);
    // Runs the handler of wnd, catching what it throws, and unlinks the object at WM_NCDESTROY.
    static LRESULT Route(CWnd* wnd, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Links hwnd to this object.
    void AttachRouting(HWND hwnd);
    void DetachRouting();
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam);

    // The child wrapper of a WM_COMMAND or WM_NOTIFY, if it is routed and not this object.
    CWnd* ReflectTarget(HWND child);

    const SCurrentMsg* m_current = nullptr;
    // Set by the destructor: the window procedure running a handler of this object must not touch it.
    bool* m_destroyed = nullptr;
    bool m_owned = false;
    bool m_subclassed = false;       // our entry is in the window's subclass chain
    WNDPROC m_controlProc = nullptr; // a standard control's own procedure (CreateControl)

    friend class CDialog;
};

// The window rectangle of `window` in the client coordinates of `parent` (screen ones without one).
RECT WindowRectIn(HWND window, HWND parent);

} // namespace win
