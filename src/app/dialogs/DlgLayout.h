// CDlgLayout: repositions the child windows of a resizable dialog by per-edge anchoring rules.
//
// Each entry remembers a window's rectangle at a reference client size. Layout computes every entry's
// rectangle for the current client size from its four edge modes; an edge may refer to an earlier
// entry instead of the dialog, so that e.g. a table follows a split bar.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace Dialux {

// Edge modes: two bits per edge.
enum : uint32_t {
    LEFT_FIXED = 0x0000,
    LEFT_FOLLOW = 0x0001,
    LEFT_PROPORTIONAL = 0x0002,
    LEFT_CENTRED = 0x0003, // with RIGHT_KEEP_WIDTH: the centre moves in proportion
    RIGHT_FIXED = 0x0000,
    RIGHT_FOLLOW = 0x0010,
    RIGHT_PROPORTIONAL = 0x0020,
    RIGHT_KEEP_WIDTH = 0x0030,
    TOP_FIXED = 0x0000,
    TOP_FOLLOW = 0x0100,
    TOP_PROPORTIONAL = 0x0200,
    TOP_CENTRED = 0x0300,
    BOTTOM_FIXED = 0x0000,
    BOTTOM_FOLLOW = 0x1000,
    BOTTOM_PROPORTIONAL = 0x2000,
    BOTTOM_KEEP_HEIGHT = 0x3000,
    // In a flags argument: clear that edge's mode and reference before the new modes are added.
    RESET_LEFT = 0x10000,
    RESET_RIGHT = 0x20000,
    RESET_TOP = 0x40000,
    RESET_BOTTOM = 0x80000,
};

// A window placed by the caller (e.g. a dragged split bar), in parent client coordinates.
struct SMovedWindow {
    HWND hwnd;
    RECT rect;
};

class CDlgLayout {
public:
    struct SEntry {
        HWND hwnd = nullptr;
        uint32_t flags = 0;
        RECT rect = {};                 // at the reference size, parent client coordinates
        int refs[4] = {-1, -1, -1, -1}; // left, right, top, bottom; -1 = the dialog
    };

    // Gets the proposed rectangles (one per entry, in entry order) and may refuse them.
    using Veto = std::function<bool(const std::vector<RECT>& proposed)>;

    // Forgets all entries. The reference size is the parent's client size, or for sizeId >= 0 the
    // lower right corner of that dialog item, which is then destroyed.
    void Init(HWND parent, int count = 0, int sizeId = -1);

    // Finds or makes the window's entry and applies flags; each reference >= 0 naming an earlier entry
    // is stored. Returns the entry index, -1 for a null window.
    int AddWindow(HWND window, uint32_t flags, int leftRef = -1, int rightRef = -1, int topRef = -1,
                  int bottomRef = -1);
    int AddControl(int id, uint32_t flags, int leftRef = -1, int rightRef = -1, int topRef = -1,
                   int bottomRef = -1);
    // AddWindow for every direct child lying completely inside dialog item id (grown by margin on each
    // side), the item itself included. Returns how many were added.
    int AddControlsInRect(int id, uint32_t flags, int leftRef = -1, int rightRef = -1, int topRef = -1,
                          int bottomRef = -1, int margin = 0);

    // Moves every entry's window for the current client size. With moved windows the layout is first
    // re-based, their given rectangles replace the computed ones, a result that puts any window outside
    // the client area or makes it empty is refused, and an applied result becomes the new reference.
    // Returns whether the windows were moved.
    bool Layout(const Veto& veto = {}, std::span<const SMovedWindow> moved = {});

    // Reference size = current client size; every entry's rectangle = its window's current one.
    void Rebase();
    // Measures one entry's rectangle again (after its window was resized outside the layout).
    void Remeasure(HWND window);

    HWND GetParent() const { return m_parent; }
    SIZE GetReferenceSize() const { return m_reference; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const SEntry& GetEntry(int index) const { return m_entries[static_cast<size_t>(index)]; }
    int FindEntry(HWND window) const;

private:
    RECT Compute(const SEntry& entry, const std::vector<RECT>& computed, SIZE client) const;
    RECT MeasureWindow(HWND window) const;
    SIZE ClientSize() const;

    HWND m_parent = nullptr;
    SIZE m_reference = {};
    std::vector<SEntry> m_entries;
};

} // namespace Dialux
