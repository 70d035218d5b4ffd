#include "wine_file_dialog.h"

#include <commctrl.h>
#include <dlgs.h>

#include <iterator>

namespace {

bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

void CapFileNameBox(HWND dialog) {
    wchar_t folder[MAX_PATH];
    const auto folderSize = static_cast<int>(
        SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder)));
    // The folder with its zero, a separator, a dot and the extension with its zero leave this room.
    const int extensionSize = static_cast<int>(std::size(kDefaultExtension));
    const int room = MAX_PATH - (folderSize > 0 ? folderSize : 0) - 2 - extensionSize;
    HWND box = GetDlgItem(dialog, cmb13);
    if (!box) box = GetDlgItem(dialog, edt1);
    HWND edit = reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0));
    if (!edit) edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
    SendMessageW(edit ? edit : box, EM_LIMITTEXT, room > 1 ? room : 1, 0);
}

UINT_PTR CALLBACK FileDialogHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY) return 0;
    const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    if (code == CDN_INITDONE || code == CDN_FOLDERCHANGE) CapFileNameBox(GetParent(child));
    return 0;
}

}  // namespace

void CapFileNameUnderWine(OPENFILENAMEW& record) {
    if (!RunningOnWine()) return;  // a hook would swap in the older dialog on Windows
    record.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
    record.lpfnHook = FileDialogHook;
}
