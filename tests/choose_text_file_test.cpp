#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "strip_window.h"

namespace {

std::wstring gShown;  // the path the last dialog started from

BOOL WINAPI Chooses(OPENFILENAMEW* record) {
    std::wcscpy(record->lpstrFile, L"C:\\texts\\a.txt");
    return TRUE;
}

// FNERR_BUFFERTOOSMALL: the dialog fails and leaves the size it needed in the buffer's first unit.
BOOL WINAPI FailsLeavingASize(OPENFILENAMEW* record) {
    gShown = record->lpstrFile;
    record->lpstrFile[0] = 300;
    return FALSE;
}

BOOL WINAPI Cancelled(OPENFILENAMEW* record) {
    gShown = record->lpstrFile;
    return FALSE;
}

TEST(ChooseTextFile, AFailedDialogLeavesTheChosenPathForTheNext) {
    EXPECT_TRUE(ChooseTextFile(Chooses));
    EXPECT_FALSE(ChooseTextFile(FailsLeavingASize));
    EXPECT_EQ(gShown, L"C:\\texts\\a.txt");
    EXPECT_FALSE(ChooseTextFile(Cancelled));
    EXPECT_EQ(gShown, L"C:\\texts\\a.txt");
}

}  // namespace
