#pragma once
#include <windows.h>
#include <commdlg.h>

// The strip's window procedure: the timer advances the text, the right-click menu carries the
// commands, a double-click pauses and resumes, a left-button drag moves the strip.
LRESULT CALLBACK StripWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Pushes the strip settings to the window: layered opacity, width and height, segment length.
void ApplyAppearance(HWND window);

// The Open command: shows the open-file dialog, reads the chosen file and shows its next piece. A
// test passes a dialog of its own.
using FileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
void OpenTextFile(HWND window, FileDialog dialog = GetOpenFileNameW);
