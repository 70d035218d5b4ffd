#include "strip_dpi.h"

#include "strip_settings.h"

StripScale gScale;

namespace {

// user32 is loaded already: the program imports it, just not these functions.
template <typename Fn>
Fn User32Function(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

}  // namespace

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

UINT WindowDpi(HWND window) {
    const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    return forWindow ? forWindow(window) : SystemDpi();
}

HFONT MakeStripFont(UINT dpi) {
    if (dpi == USER_DEFAULT_SCREEN_DPI && SystemDpi() == USER_DEFAULT_SCREEN_DPI) return nullptr;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = {};
    font.lfHeight = -ScaleToDpi(kTextEm, dpi);  // negative: the em, not the cell, is that high
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;  // smoothed as the user has set it, ClearType by default
    lstrcpynW(font.lfFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

void UseDpi(UINT dpi) {
    ReleaseStripFont();
    gScale = {dpi, MakeStripFont(dpi)};
}

void ReleaseStripFont() {
    if (gScale.font) DeleteObject(gScale.font);
    gScale.font = nullptr;
}

int Scaled(int logical) { return ScaleToDpi(logical, static_cast<int>(gScale.dpi)); }
