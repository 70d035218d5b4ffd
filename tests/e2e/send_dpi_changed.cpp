// Tells the strip it is now on a monitor of another scale, as Windows does during a move (Wine
// never does): `send_dpi_changed DPI LEFT TOP RIGHT BOTTOM` sends WM_DPICHANGED with that DPI and
// suggested rectangle. The rectangle must be in the strip's own process, so it is written there.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) return 2;
    HWND strip = FindWindowW(L"SUNDROVALE", nullptr);
    DWORD id = 0;
    GetWindowThreadProcessId(strip, &id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id);
    if (!strip || !process) return 1;
    const RECT suggested = {_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5])};
    void* there = VirtualAllocEx(process, nullptr, sizeof(suggested), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!there || !WriteProcessMemory(process, there, &suggested, sizeof(suggested), nullptr)) return 1;
    const WORD dpi = static_cast<WORD>(_wtoi(argv[1]));
    SendMessageW(strip, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(there));
    VirtualFreeEx(process, there, 0, MEM_RELEASE);
    return 0;
}
