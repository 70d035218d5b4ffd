// Reference pictures for tests/e2e/run.sh, drawn under the same Wine and fonts as the program:
// `draw_text X Y TEXT... --menu LABEL...` shows each TEXT as the strip draws it, in an 850-pixel
// strip at (X, Y), (X, Y + 40)..., then a popup menu of the LABELs at (20, Y) until it is dismissed.
#include <windows.h>
#include <shellapi.h>

#include "strip_settings.h"

static LRESULT CALLBACK PaintText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const auto* text = reinterpret_cast<const wchar_t*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // The origin is written out, not taken from the program: a moved text must fail the comparison.
    TextOutW(dc, 5, 5, text, lstrlenW(text));
    EndPaint(window, &paint);
    return 0;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arg = CommandLineToArgvW(GetCommandLineW(), &count);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PaintText;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);  // as the strip's class
    windowClass.lpszClassName = L"SundrovaleReference";
    RegisterClassW(&windowClass);
    HWND strip = nullptr;
    int i = 3;
    for (; i < count && lstrcmpW(arg[i], L"--menu") != 0; ++i) {
        strip = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"reference", WS_POPUP, _wtoi(arg[1]),
                                _wtoi(arg[2]) + 40 * (i - 3), 850, kStripHeight, nullptr, nullptr, instance, nullptr);
        SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(arg[i]));
        ShowWindow(strip, SW_SHOWNOACTIVATE);
        UpdateWindow(strip);
    }
    HMENU menu = CreatePopupMenu();
    for (++i; i < count; ++i) AppendMenuW(menu, MF_STRING, i, arg[i]);
    SetForegroundWindow(strip);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, 20, _wtoi(arg[2]), 0, strip, nullptr);
    return 0;
}
