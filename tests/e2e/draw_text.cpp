// Reference pictures for the end-to-end tests: draws strings the way the strip does (same class
// background, WS_POPUP, TextOutW at (5, 5) with the default device context), so that screenshots of
// the strip can be compared with them under the same Wine and fonts.
//
//   draw_text X Y WIDTH TEXT [WIDTH TEXT ...]   one 30-pixel strip per pair, at Y, Y+40, Y+80 ...
//   draw_text --menu X Y LABEL ...              a popup menu with these items, opened at (X, Y)
//   draw_text --exit CODE                       ends at once with exit code CODE
//
// Texts arrive UTF-16 through the wide command line. The strips stay until the window is closed.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t kClassName[] = L"SundrovaleReference";
constexpr int kStripHeight = 30;
constexpr int kStripSpacing = 40;

LRESULT CALLBACK ReferenceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const auto* text = reinterpret_cast<const std::wstring*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (text) TextOutW(dc, 5, 5, text->c_str(), static_cast<int>(text->size()));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND CreateStrip(HINSTANCE instance, int x, int y, int width, const std::wstring* text) {
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kClassName, L"reference", WS_POPUP, x, y, width,
                                  kStripHeight, nullptr, nullptr, instance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(text));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

int RunLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int ShowMenu(HINSTANCE instance, int x, int y, const std::vector<std::wstring>& labels) {
    // A menu needs an owner; a 1x1 strip out of the way serves.
    HWND owner = CreateStrip(instance, 0, 0, 1, nullptr);
    HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < labels.size(); ++i) AppendMenuW(menu, MF_STRING, 1000 + i, labels[i].c_str());
    SetForegroundWindow(owner);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
    DestroyWindow(owner);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arg(args + 1, args + count);
    LocalFree(args);
    if (arg.size() == 2 && arg[0] == L"--exit") return _wtoi(arg[1].c_str());

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ReferenceWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    if (arg.size() >= 3 && arg[0] == L"--menu")
        return ShowMenu(instance, _wtoi(arg[1].c_str()), _wtoi(arg[2].c_str()),
                        std::vector<std::wstring>(arg.begin() + 3, arg.end()));

    if (arg.size() < 4 || arg.size() % 2 != 0) return 2;
    const int x = _wtoi(arg[0].c_str());
    const int y = _wtoi(arg[1].c_str());
    std::vector<std::wstring> texts;
    for (size_t i = 2; i < arg.size(); i += 2) texts.push_back(arg[i + 1]);
    for (size_t i = 0; i < texts.size(); ++i)
        CreateStrip(instance, x, y + static_cast<int>(i) * kStripSpacing, _wtoi(arg[2 + 2 * i].c_str()), &texts[i]);
    return RunLoop();
}
