#include "platform_text.h"

#include <climits>
#include <stringapiset.h>  // the conversion alone, not all of <windows.h>

void OpenForReading(std::ifstream& file, const std::wstring& path) {
    file.open(path.c_str(), std::ios::binary);  // the runtime opens with read and write sharing
}

std::size_t ConvertUtf8(std::string_view bytes, WideChar* out) {
    if (bytes.empty()) return 0;
    if (bytes.size() > INT_MAX) return kNotMapped;  // callers pass pieces far smaller
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, out, size);
    return units > 0 ? static_cast<std::size_t>(units) : kNotMapped;
}
