#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "strip_window.h"
#include "test_support.h"

namespace {

std::wstring gChoice;  // the path the stand-in dialog chooses, or, where it fails, the one it was shown
DWORD gFlags;          // the flags it was shown with

BOOL WINAPI Chooses(OPENFILENAMEW* record) {
    gFlags = record->Flags;
    return std::wcscpy(record->lpstrFile, gChoice.c_str()) != nullptr;
}

// FNERR_BUFFERTOOSMALL: the dialog fails and leaves the size it needed in the buffer's first unit.
BOOL WINAPI Fails(OPENFILENAMEW* record) {
    gChoice = record->lpstrFile;
    record->lpstrFile[0] = 300;
    return FALSE;
}

TEST(OpenTextFile, AFailedDialogLeavesTheChosenPathForTheNext) {
    gChoice = L"C:\\texts\\a.txt";
    OpenTextFile(nullptr, Chooses);
    // A mistyped name is refused in the dialog; no file read is added to Recent Items.
    const DWORD asked = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_DONTADDTORECENT;
    EXPECT_EQ(gFlags & asked, asked);
    OpenTextFile(nullptr, Fails);
    OpenTextFile(nullptr, Fails);
    EXPECT_EQ(gChoice, L"C:\\texts\\a.txt");
}

// A file that another handle holds with no sharing keeps the piece on show; once let go, it is read.
TEST(OpenTextFile, AFileThatCannotBeReadKeepsThePieceOnShow) {
    const TempFile file("a readable text\n", "open.txt");
    gChoice = file.wide;
    const HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    gCursor.display = ToWide(u"on show");
    const HANDLE holder = CreateFileW(file.wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    OpenTextFile(window, Chooses);
    EXPECT_EQ(gCursor.display, ToWide(u"on show"));
    CloseHandle(holder);
    OpenTextFile(window, Chooses);
    EXPECT_EQ(gCursor.display, ToWide(u"a readable te"));
    DestroyWindow(window);
}

}  // namespace
