#pragma once
#include <windows.h>
#include <commdlg.h>

// The dialog's default extension, which the cap below leaves room for.
inline constexpr wchar_t kDefaultExtension[] = L"TXT";

// Wine's file dialog joins the folder, the typed name and the default extension in a MAX_PATH
// buffer of its own without checking the length, and a longer name brings the program down. Under
// Wine, this hooks the dialog to cap its name box so that the joined path always fits; on Windows,
// which needs no cap, it leaves the record as it is.
void CapFileNameUnderWine(OPENFILENAMEW& record);
