#include "app/dialogs/DlgLayout.h"

#include "win/Window.h"

#include <algorithm>

namespace Dialux {

namespace {

// One axis of a rectangle: left/right or top/bottom.
struct SSpan {
    int lo;
    int hi;
};

// A reference entry's span before (stored) and after (computed) this layout.
struct SRef {
    bool valid;
    SSpan before;
    SSpan after;
};

int Centre(SSpan s) {
    return s.lo + (s.hi - s.lo) / 2;
}

SSpan ComputeSpan(SSpan s, unsigned loMode, unsigned hiMode, const SRef& loRef, const SRef& hiRef, int delta,
                  double scale) {
    int lo = s.lo;
    switch (loMode) {
    case 0:
        if (loRef.valid)
            lo = loRef.after.lo + (s.lo - loRef.before.lo);
        break;
    case 1:
        lo = loRef.valid ? loRef.after.hi + (s.lo - loRef.before.hi) : s.lo + delta;
        break;
    case 2:
        lo = static_cast<int>(s.lo * scale);
        break;
    default:
        if (hiMode == 3) {
            int half = (s.hi - s.lo) / 2;
            int centre = s.lo + half;
            if (loRef.valid)
                lo = Centre(loRef.after) + static_cast<int>((centre - Centre(loRef.before)) * scale) - half;
            else
                lo = static_cast<int>(centre * scale) - half;
        }
        break;
    }
    int hi = s.hi;
    switch (hiMode) {
    case 0:
        if (hiRef.valid)
            hi = hiRef.after.lo + (s.hi - hiRef.before.lo);
        break;
    case 1:
        hi = hiRef.valid ? hiRef.after.hi + (s.hi - hiRef.before.hi) : s.hi + delta;
        break;
    case 2:
        hi = static_cast<int>(s.hi * scale);
        break;
    default:
        hi = lo + (s.hi - s.lo);
        break;
    }
    return SSpan{lo, hi};
}

} // namespace

void CDlgLayout::Init(HWND parent, int count, int sizeId) {
    m_parent = parent;
    m_entries.clear();
    m_entries.reserve(static_cast<size_t>(std::max(count, 0)));
    m_reference = ClientSize();
    if (sizeId >= 0) {
        if (HWND item = ::GetDlgItem(parent, sizeId)) {
            RECT rc = MeasureWindow(item);
            m_reference = SIZE{rc.right, rc.bottom};
            ::DestroyWindow(item);
        }
    }
}

SIZE CDlgLayout::ClientSize() const {
    RECT rc = {};
    if (m_parent)
        ::GetClientRect(m_parent, &rc);
    return SIZE{rc.right, rc.bottom};
}

RECT CDlgLayout::MeasureWindow(HWND window) const {
    return win::WindowRectIn(window, m_parent);
}

int CDlgLayout::FindEntry(HWND window) const {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].hwnd == window)
            return static_cast<int>(i);
    }
    return -1;
}

int CDlgLayout::AddWindow(HWND window, uint32_t flags, int leftRef, int rightRef, int topRef, int bottomRef) {
    if (!window)
        return -1;
    int index = FindEntry(window);
    if (index < 0) {
        SEntry entry;
        entry.hwnd = window;
        entry.rect = MeasureWindow(window);
        m_entries.push_back(entry);
        index = static_cast<int>(m_entries.size()) - 1;
    }
    SEntry& entry = m_entries[static_cast<size_t>(index)];
    const int refs[4] = {leftRef, rightRef, topRef, bottomRef};
    for (int edge = 0; edge < 4; ++edge) {
        if (flags & (RESET_LEFT << edge)) {
            entry.flags &= ~(3u << (4 * edge));
            entry.refs[edge] = -1;
        }
        // Only an earlier entry's new rectangle is known when this one is computed.
        if (refs[edge] >= 0 && refs[edge] < index)
            entry.refs[edge] = refs[edge];
    }
    entry.flags |= flags & 0xFFFF;
    return index;
}

int CDlgLayout::AddControl(int id, uint32_t flags, int leftRef, int rightRef, int topRef, int bottomRef) {
    return AddWindow(::GetDlgItem(m_parent, id), flags, leftRef, rightRef, topRef, bottomRef);
}

int CDlgLayout::AddControlsInRect(int id, uint32_t flags, int leftRef, int rightRef, int topRef,
                                  int bottomRef, int margin) {
    HWND frame = ::GetDlgItem(m_parent, id);
    if (!frame)
        return 0;
    RECT area = MeasureWindow(frame);
    ::InflateRect(&area, margin, margin);
    int count = 0;
    for (HWND child = ::GetWindow(m_parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rc = MeasureWindow(child);
        if (rc.left >= area.left && rc.top >= area.top && rc.right <= area.right &&
            rc.bottom <= area.bottom && AddWindow(child, flags, leftRef, rightRef, topRef, bottomRef) >= 0)
            ++count;
    }
    return count;
}

RECT CDlgLayout::Compute(const SEntry& entry, const std::vector<RECT>& computed, SIZE client) const {
    const int dx = client.cx - m_reference.cx;
    const int dy = client.cy - m_reference.cy;
    const double sx = m_reference.cx > 0 ? static_cast<double>(client.cx) / m_reference.cx : 1.0;
    const double sy = m_reference.cy > 0 ? static_cast<double>(client.cy) / m_reference.cy : 1.0;

    auto ref = [&](int edge, bool horizontal) {
        int index = entry.refs[edge];
        if (index < 0)
            return SRef{false, {}, {}};
        const RECT& before = m_entries[static_cast<size_t>(index)].rect;
        const RECT& after = computed[static_cast<size_t>(index)];
        return horizontal ? SRef{true, {before.left, before.right}, {after.left, after.right}}
                          : SRef{true, {before.top, before.bottom}, {after.top, after.bottom}};
    };
    const RECT& r = entry.rect;
    SSpan h = ComputeSpan({r.left, r.right}, entry.flags & 3, (entry.flags >> 4) & 3, ref(0, true),
                          ref(1, true), dx, sx);
    SSpan v = ComputeSpan({r.top, r.bottom}, (entry.flags >> 8) & 3, (entry.flags >> 12) & 3, ref(2, false),
                          ref(3, false), dy, sy);
    return RECT{h.lo, v.lo, h.hi, v.hi};
}

bool CDlgLayout::Layout(const Veto& veto, std::span<const SMovedWindow> moved) {
    if (!m_parent)
        return false;
    if (!moved.empty())
        Rebase();
    const SIZE client = ClientSize();
    std::vector<RECT> proposed;
    proposed.reserve(m_entries.size());
    bool valid = true;
    for (const SEntry& entry : m_entries) {
        RECT rc = Compute(entry, proposed, client);
        auto given = std::find_if(moved.begin(), moved.end(),
                                  [&](const SMovedWindow& m) { return m.hwnd == entry.hwnd; });
        if (given != moved.end())
            rc = given->rect;
        if (rc.left < 0 || rc.top < 0 || rc.right > client.cx || rc.bottom > client.cy ||
            rc.right - rc.left < 1 || rc.bottom - rc.top < 1)
            valid = false;
        proposed.push_back(rc);
    }
    if (!moved.empty() && !valid)
        return false;
    if (veto && !veto(proposed))
        return false;

    HDWP defer = ::BeginDeferWindowPos(static_cast<int>(m_entries.size()));
    for (size_t i = 0; i < m_entries.size() && defer; ++i) {
        // A window destroyed since it was registered would make the whole batch fail.
        if (!::IsWindow(m_entries[i].hwnd))
            continue;
        const RECT& rc = proposed[i];
        defer = ::DeferWindowPos(defer, m_entries[i].hwnd, nullptr, rc.left, rc.top, rc.right - rc.left,
                                 rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    if (defer)
        ::EndDeferWindowPos(defer);
    if (!moved.empty()) {
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_entries[i].rect = proposed[i];
    }
    return true;
}

void CDlgLayout::Rebase() {
    m_reference = ClientSize();
    for (SEntry& entry : m_entries) {
        if (::IsWindow(entry.hwnd))
            entry.rect = MeasureWindow(entry.hwnd);
    }
}

void CDlgLayout::Remeasure(HWND window) {
    int index = FindEntry(window);
    if (index >= 0)
        m_entries[static_cast<size_t>(index)].rect = MeasureWindow(window);
}

} // namespace Dialux
