// Cell editors: the in-place editors a column may own beside its renderer. The control keeps one slot
// per column; the editors themselves are added with in-place editing.
#pragma once

#include <windows.h>

namespace Tabra {

class CCellInput {
public:
    CCellInput() = default;
    virtual ~CCellInput() = default;
    CCellInput(const CCellInput&) = delete;
    CCellInput& operator=(const CCellInput&) = delete;

    // Height and narrowest width of the editor on dc, so that rows and columns make room for it.
    virtual int TextHeight(HDC dc) = 0;
    virtual int MinWidth(HDC dc) = 0;
};

} // namespace Tabra
