// Reference pictures for the end-to-end runs, drawn under the same Wine and fonts as the program:
// `draw_text X Y TEXT... --menu LABEL...` shows each TEXT as the strip draws it, in an 850-pixel
// strip at (X, Y), (X, Y + 40)..., then a popup menu of the LABELs at (20, Y) until it is dismissed.
// `--dpi D` before some TEXTs draws those as the strip does at D DPI: every figure, the gap between
// strips included, scaled by D / 96, and in the strip's font for D. Without it, the text keeps the
// device context's default font, as the strip's must at 96 DPI on a 96 DPI system.
#include <windows.h>
#include <shellapi.h>

#include "strip_dpi.h"
#include "strip_settings.h"

namespace {

struct Reference {
    const wchar_t* text;
    UINT dpi;
    HFONT font;
};

LRESULT CALLBACK PaintText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const auto* strip = reinterpret_cast<const Reference*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (strip->font) SelectObject(dc, strip->font);
    // The origin is written out, not taken from the program: a moved text must fail the comparison.
    const int origin = MulDiv(5, strip->dpi, USER_DEFAULT_SCREEN_DPI);
    TextOutW(dc, origin, origin, strip->text, lstrlenW(strip->text));
    EndPaint(window, &paint);
    return 0;
}

}  // namespace

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
    Reference* strips = new Reference[count];
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    bool ownFont = false;
    int i = 3, y = _wtoi(arg[2]);
    for (; i < count && lstrcmpW(arg[i], L"--menu") != 0; ++i) {
        if (lstrcmpW(arg[i], L"--dpi") == 0 && i + 1 < count) {
            dpi = _wtoi(arg[++i]);
            ownFont = true;
            continue;
        }
        const auto scaled = [dpi](int logical) { return MulDiv(logical, dpi, USER_DEFAULT_SCREEN_DPI); };
        strips[i] = {arg[i], dpi, ownFont ? MakeStripFont(dpi) : nullptr};
        strip = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"reference", WS_POPUP, _wtoi(arg[1]), y,
                                scaled(850), scaled(kStripHeight), nullptr, nullptr, instance, nullptr);
        y += scaled(40);
        SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&strips[i]));
        ShowWindow(strip, SW_SHOWNOACTIVATE);
        UpdateWindow(strip);
    }
    HMENU menu = CreatePopupMenu();
    for (++i; i < count; ++i) AppendMenuW(menu, MF_STRING, i, arg[i]);
    SetForegroundWindow(strip);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, 20, _wtoi(arg[2]), 0, strip, nullptr);
    return 0;
}
