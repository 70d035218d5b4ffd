#pragma once
#include <windows.h>

// The strip's pixels and font follow the DPI of the monitor it is on. Functions newer than Vista are
// looked up at run time, so that the program still starts on Windows 7, where they are missing.

// The system's DPI, as GDI gives it to the screen: every window's DPI where Windows knows no other.
UINT SystemDpi();

// The DPI of the window's monitor where Windows can tell it (10, version 1607 on), else the system's.
UINT WindowDpi(HWND window);

// The strip's font for dpi: the face of the system's message font at that DPI, an em of kTextEm
// logical pixels. nullptr at 96 DPI on a 96 DPI system, where the device context's default font
// serves as it always has (elsewhere it was sized for the system's DPI and would not fit).
HFONT MakeStripFont(UINT dpi);

// The strip's DPI and the font made for it, replaced together.
struct StripScale {
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    HFONT font = nullptr;
};
extern StripScale gScale;

// Takes dpi as the strip's, with its font; the font it replaces is deleted.
void UseDpi(UINT dpi);

// Deletes the strip's font, at exit.
void ReleaseStripFont();

// A logical figure in pixels at the strip's DPI.
int Scaled(int logical);
