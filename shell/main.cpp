#include <windows.h>

#include "resources/resource.h"
#include "strip_dpi.h"
#include "strip_settings.h"
#include "strip_window.h"

namespace {

constexpr int kMaxLoadString = 100;
wchar_t gTitle[kMaxLoadString];
wchar_t gClassName[kMaxLoadString];

void RegisterStripWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;  // CS_DBLCLKS: double-click pauses
    windowClass.lpfnWndProc = StripWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_LARGE_ICON));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = gClassName;
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL_ICON));
    RegisterClassExW(&windowClass);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    LoadStringW(instance, IDS_TITLE, gTitle, kMaxLoadString);
    LoadStringW(instance, IDS_CLASS, gClassName, kMaxLoadString);
    RegisterStripWindowClass(instance);

    // A caption-less popup; WM_CREATE makes it layered and starts the advance timer.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, gClassName, gTitle, WS_POPUP, kInitialX, kInitialY,
                                  gSettings.width, kStripHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_KEYS));
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    ReleaseStripFont();
    return static_cast<int>(message.wParam);
}
