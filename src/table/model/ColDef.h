// Column types: each makes the cell factory and comparer of a column, and its renderer and editor.
#pragma once

#include "table/model/Enum.h"
#include "table/model/Format.h"

#include <string>

namespace Tabra {

class CCellOutput; // cell renderer of the view
class CCellInput;  // cell editor of the view

// Text drawing flags: single line, vertically centred, no prefix, no clipping, end ellipsis.
constexpr int kDrawLeft = 0x8924;
constexpr int kDrawCenter = 0x8925;
constexpr int kDrawRight = 0x8926;

enum EnumDisplay { ENUM_IMAGE_AND_TEXT = 0, ENUM_TEXT = 1, ENUM_IMAGE = 2 };

// Everything a Create... operation returns belongs to the caller.
class CColDef {
public:
    virtual ~CColDef() = default;
    virtual CCellFactory* CreateFactory() const = 0;
    virtual CCellCompare* CreateCompare() const { return new CCellCompare; }
    // Renderers and editors live in the view; a column type without them answers null.
    virtual CCellOutput* CreateOutput() const { return nullptr; }
    virtual CCellInput* CreateInput() const { return nullptr; }
};

class CStringCol : public CColDef {
public:
    explicit CStringCol(int drawFlags) : drawFlags(drawFlags) {}
    CCellFactory* CreateFactory() const override;

    int drawFlags;
    CFormat format;
};

class CIntCol : public CColDef {
public:
    explicit CIntCol(int drawFlags) : drawFlags(drawFlags) {}
    CCellFactory* CreateFactory() const override;

    int drawFlags;
    CIntFormat format{true};
};

class CBoolCol : public CColDef {
public:
    enum State { STATE_FALSE = 0, STATE_TRUE = 1, STATE_UNDETERMINED = 2 };

    CBoolCol(int drawFlags, std::string trueText, std::string falseText, bool checkMarks);
    CCellFactory* CreateFactory() const override;
    // The cell text of a state, also when check marks are drawn.
    const std::string& Text(int state) const { return texts[state]; }

    int drawFlags;
    bool checkMarks;
    std::string texts[3]; // false, true, undetermined
};

class CEnumCol : public CColDef {
public:
    // A drawFlags of -1 means centred for ENUM_IMAGE, else left aligned.
    CEnumCol(CAbstractEnum* enumeration, int mode, int drawFlags = -1);
    ~CEnumCol() override { enumeration->Release(); }
    CEnumCol(const CEnumCol&) = delete;
    CEnumCol& operator=(const CEnumCol&) = delete;

    CCellFactory* CreateFactory() const override;
    CCellCompare* CreateCompare() const override { return new CEnumCompare(enumeration); }

    CAbstractEnum* const enumeration;
    int mode;
    int drawFlags;
};

} // namespace Tabra
