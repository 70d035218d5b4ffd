// What Windows itself says of the strip, for the end-to-end runs. Wines show a window to X differently
// (Wine 8 marks a topmost window _NET_WM_STATE_ABOVE, Wine 10 does not without a window manager, and
// Wine 10 stretches a program that is not DPI-aware), so the runs ask Windows, as a program would.
// `window_state` prints, of the strip's window: TOPMOST (1 or 0), ALPHA (its layered opacity, 255 when
// it has none), LEFT TOP WIDTH HEIGHT (its rectangle as the strip itself sees it, at its own DPI
// awareness) and DPI; it fails when there is no strip.
#define _WIN32_WINNT 0x0A00  // Windows 10's DPI functions; this tool runs under Wine alone
#include <windows.h>

#include <cstdio>

int wmain() {
    HWND strip = FindWindowW(L"SUNDROVALE", nullptr);
    if (!strip) return 1;
    const bool topmost = GetWindowLongW(strip, GWL_EXSTYLE) & WS_EX_TOPMOST;
    COLORREF key;
    BYTE alpha = 255;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(strip, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) alpha = 255;
    // In the strip's own awareness a rectangle is the one it set: where Windows stretches a program
    // that is not DPI-aware, the screen shows another.
    SetThreadDpiAwarenessContext(GetWindowDpiAwarenessContext(strip));
    RECT r;
    if (!GetWindowRect(strip, &r)) return 1;
    std::printf("%d %u %ld %ld %ld %ld %u\n", topmost, alpha, r.left, r.top, r.right - r.left, r.bottom - r.top,
                GetDpiForWindow(strip));
    return 0;
}
