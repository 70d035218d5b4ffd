#include "platform_text.h"

#include <algorithm>
#include <climits>
// The file calls and the conversion alone, not all of <windows.h>.
#include <errhandlingapi.h>
#include <fileapi.h>
#include <handleapi.h>
#include <stringapiset.h>
#include <winerror.h>

FileHandle OpenForReading(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(file);
}

std::size_t ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at = {};  // on a handle opened for plain reads, where the read starts
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD got = 0;  // one call reads less than 4 GB; callers ask for a piece, far less, in any case
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size - done, std::size_t{1} << 30));
        if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer + done, ask, &got, &at))
            return GetLastError() == ERROR_HANDLE_EOF ? done : kReadFailed;
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::uint64_t FileSize(FileHandle file) {
    LARGE_INTEGER size;
    return GetFileSizeEx(reinterpret_cast<HANDLE>(file), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

void CloseFile(FileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

std::size_t ConvertUtf8(std::string_view bytes, WideChar* out) {
    if (bytes.empty()) return 0;
    if (bytes.size() > INT_MAX) return kNotMapped;  // callers pass pieces far smaller
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, out, size);
    return units > 0 ? static_cast<std::size_t>(units) : kNotMapped;
}
