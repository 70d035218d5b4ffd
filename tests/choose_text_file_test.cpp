#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "strip_window.h"

namespace {

std::wstring gShown;  // the path the last failed dialog started from

BOOL WINAPI Chooses(OPENFILENAMEW* record) { return std::wcscpy(record->lpstrFile, L"C:\\texts\\a.txt") != nullptr; }

// FNERR_BUFFERTOOSMALL: the dialog fails and leaves the size it needed in the buffer's first unit.
BOOL WINAPI Fails(OPENFILENAMEW* record) {
    gShown = record->lpstrFile;
    record->lpstrFile[0] = 300;
    return FALSE;
}

TEST(ChooseTextFile, AFailedDialogLeavesTheChosenPathForTheNext) {
    EXPECT_TRUE(ChooseTextFile(Chooses));
    EXPECT_FALSE(ChooseTextFile(Fails));
    EXPECT_FALSE(ChooseTextFile(Fails));
    EXPECT_EQ(gShown, L"C:\\texts\\a.txt");
}

}  // namespace
