#include "base/Error.h"
#include "support/TempDir.h"
#include "support/Win.h"
#include "win/ErrorReport.h"
#include "win/FileDialog.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// All bytes of a literal, embedded NULs included (not the literal's own terminator).
template <size_t N> std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

TEST(FileFilter, BarsBecomeNulsAndTheListEndsWithTwo) {
    struct Case {
        const char* filter;
        std::string result;
    } cases[] = {
        {"Html Dateien (*.html)|*.html|Alle Dateien (*.*)|*.*||",
         Bytes("Html Dateien (*.html)\0*.html\0Alle Dateien (*.*)\0*.*\0\0")},
        {"Text|*.txt||", Bytes("Text\0*.txt\0\0")},
        {"Text|*.txt", Bytes("Text\0*.txt\0\0")},
        {"Text|*.txt|", Bytes("Text\0*.txt\0\0")},
        {"", Bytes("\0\0")},
        {nullptr, Bytes("\0\0")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win::MakeFileFilter(c.filter), c.result) << (c.filter ? c.filter : "null");
}

TEST(ExceptionText, LibraryErrorsShowTheirMessageOthersAreUnknown) {
    struct Case {
        std::exception_ptr error;
        const char* text;
    } cases[] = {
        {std::make_exception_ptr(base::CError("Kein Speicher", 8)), "Kein Speicher"},
        {std::make_exception_ptr(std::runtime_error("std")), "Unhandled Unknown Exception!"},
        {std::make_exception_ptr(7), "Unhandled Unknown Exception!"},
        {nullptr, "Unhandled Unknown Exception!"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win::DescribeException(c.error), c.text);
}

TEST(MessageBox, ShowsTextAndCaptionAndReturnsTheButton) {
    win::SetAppTitle("Velloran Wolfenstein - Enemy Territory 1.02a");
    struct Case {
        UINT type;
        int press;
    } cases[] = {{MB_OK, IDOK}, {MB_YESNO, IDNO}, {MB_YESNO, IDYES}};
    for (const Case& c : cases) {
        wintest::SBoxTexts seen;
        wintest::CDialogCloser closer([&](HWND box) {
            seen = wintest::ReadBox(box);
            ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(c.press), 0);
        });
        EXPECT_EQ(win::ShowMessage(nullptr, "No response from master server.", c.type), c.press);
        EXPECT_EQ(seen.caption, "Velloran Wolfenstein - Enemy Territory 1.02a");
        EXPECT_TRUE(seen.Shows("No response from master server."));
    }
}

TEST(FileDialog, CancelKeepsTheSuggestionOkAddsTheDefaultExtension) {
    const char* filter = "Html Dateien (*.html)|*.html|Alle Dateien (*.*)|*.*||";
    std::string name = "Tabra.html";
    {
        wintest::CDialogCloser closer([](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_FALSE(
            win::AskSaveFileName(nullptr, filter, "html", name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
        EXPECT_TRUE(closer.Done());
        EXPECT_EQ(name, "Tabra.html");
    }
    testsupport::TempDir dir;
    name = dir.File("velloran_export_test");
    wintest::CDialogCloser closer([](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    ASSERT_TRUE(win::AskSaveFileName(nullptr, filter, "html", name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(name, dir.File("velloran_export_test.html"));
}

} // namespace
