#include "strip_window.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "reading_cursor.h"
#include "resources/resource.h"
#include "strip_dpi.h"
#include "strip_settings.h"
#include "text_loader.h"
#include "wine_file_dialog.h"

namespace {

// The dialog writes the chosen path here; kept between Open commands so the dialog starts from it.
wchar_t gPathBuffer[MAX_PATH];
OPENFILENAMEW gOpenFileRecord;

const wchar_t kTextFileFilter[] = L"Txt files (*.txt)\0*.txt\0";

// Looked up at run time: systems before layered windows lack it, and the strip then stays opaque.
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

void StartAdvanceTimer(HWND window) { SetTimer(window, IDT_ADVANCE, ADVANCE_INTERVAL_MS, nullptr); }

void ShowNextPiece(HWND window) {
    Advance(gCursor, gSettings.segmentLength);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT OnCreate(HWND window) {
    // Created at the logical start position, on the monitor that holds it: now scaled for that monitor.
    UseDpi(WindowDpi(window));
    SetWindowPos(window, nullptr, Scaled(kInitialX), Scaled(kInitialY), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyAppearance(window);
    StartAdvanceTimer(window);
    return 0;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const DisplaySegment& piece = gCursor.display;
    // The line break that ends a piece is left out: fonts draw it as a box.
    int length = static_cast<int>(piece.size());
    if (length > 0 && (piece.back() == L'\n' || piece.back() == L'\r')) --length;
    const HGDIOBJ before = gScale.font ? SelectObject(dc, gScale.font) : nullptr;
    TextOutW(dc, Scaled(kTextOriginX), Scaled(kTextOriginY), piece.c_str(), length);
    if (before) SelectObject(dc, before);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnContextMenu(HWND owner, int x, int y) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_STRIP_MENU));
    if (!menu) return 0;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
    return 0;
}

// Shows the dialog on the shared path buffer; true when a file name was chosen.
BOOL ChooseTextFile(FileDialog dialog) {
    gOpenFileRecord.lStructSize = sizeof(gOpenFileRecord);
    gOpenFileRecord.hwndOwner = nullptr;  // unowned: the strip keeps reading while the dialog is open
    gOpenFileRecord.lpstrFilter = kTextFileFilter;
    gOpenFileRecord.lpstrCustomFilter = nullptr;
    gOpenFileRecord.nFilterIndex = 1;
    gOpenFileRecord.lpstrFile = gPathBuffer;
    gOpenFileRecord.nMaxFile = MAX_PATH;
    gOpenFileRecord.lpstrFileTitle = nullptr;
    gOpenFileRecord.lpstrInitialDir = nullptr;
    gOpenFileRecord.lpstrTitle = nullptr;
    // A reading aid that stores nothing leaves no trail of the files read in Recent Items either.
    // A mistyped name is refused in the dialog, as in other programs, so it cannot wipe the text on show.
    gOpenFileRecord.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_DONTADDTORECENT;
    gOpenFileRecord.lpstrDefExt = kDefaultExtension;
    CapFileNameUnderWine(gOpenFileRecord);
    // A cancel or a failure leaves the path as it was: after FNERR_BUFFERTOOSMALL the dialog would
    // have left the size it needed in the buffer, and the next dialog would start from that.
    wchar_t before[MAX_PATH];
    std::copy(std::begin(gPathBuffer), std::end(gPathBuffer), before);
    const BOOL chosen = dialog(&gOpenFileRecord);
    if (!chosen) std::copy(std::begin(before), std::end(before), gPathBuffer);
    return chosen;
}

LRESULT OnCommand(HWND window, int id) {
    const Command* command = LookupCommand(id);
    if (!command) return 0;
    switch (command->effect) {
    case CommandEffect::OpenFile:  OpenTextFile(window); break;
    case CommandEffect::AlphaUp:   AlphaUp(gSettings); ApplyAppearance(window); break;
    case CommandEffect::AlphaDown: AlphaDown(gSettings); ApplyAppearance(window); break;
    case CommandEffect::WidthUp:   WidthUp(gSettings); ApplyAppearance(window); break;
    case CommandEffect::WidthDown: WidthDown(gSettings); ApplyAppearance(window); break;
    case CommandEffect::Close:     PostQuitMessage(0); break;
    }
    return 0;
}

// A press anywhere on the strip acts as a press on a caption, so dragging moves it.
LRESULT OnLeftButtonDown(HWND window) {
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return 0;
}

LRESULT OnDoubleClick(HWND window) {
    if (TogglePause(gSettings) == TimerAction::Start)
        StartAdvanceTimer(window);
    else
        KillTimer(window, IDT_ADVANCE);
    return 0;
}

// The DPI comes from the message, not a query: during the move, and under Wine, a query can still
// answer the old monitor's.
LRESULT OnDpiChanged(HWND window, UINT dpi, const RECT& suggested) {
    UseDpi(dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

}  // namespace

LRESULT CALLBACK StripWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:        return OnCreate(window);
    case WM_TIMER:         ShowNextPiece(window); return 0;
    case WM_PAINT:         return OnPaint(window);
    case WM_CONTEXTMENU:   return OnContextMenu(reinterpret_cast<HWND>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_COMMAND:       return OnCommand(window, LOWORD(wParam));
    case WM_LBUTTONDOWN:   return OnLeftButtonDown(window);
    case WM_LBUTTONDBLCLK: return OnDoubleClick(window);
    case WM_DPICHANGED:    return OnDpiChanged(window, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    case WM_DESTROY:       PostQuitMessage(0); return 0;
    default:               return DefWindowProcW(window, message, wParam, lParam);
    }
}

void ApplyAppearance(HWND window) {
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (HMODULE user32 = LoadLibraryW(L"User32.DLL")) {
        const auto setLayered = reinterpret_cast<SetLayeredWindowAttributesFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
        if (setLayered) setLayered(window, RGB(255, 255, 255), gSettings.alpha, LWA_ALPHA);
        FreeLibrary(user32);
    }
    SetWindowPos(window, HWND_TOP, 0, 0, Scaled(gSettings.width), Scaled(kStripHeight), SWP_NOMOVE);
    SegmentLengthForWidth(gSettings);
}

void OpenTextFile(HWND window, FileDialog dialog) {
    // A cancelled or failed dialog, or a file gone or locked since, keeps the piece on show.
    if (ChooseTextFile(dialog) && LoadTextFile(gCursor, gPathBuffer)) ShowNextPiece(window);
}
