#include "platform_text.h"

#include <climits>
#include <stringapiset.h>  // the conversion alone, not all of <windows.h>

void OpenForReading(std::ifstream& file, const std::wstring& path) {
    file.open(path.c_str(), std::ios::binary);  // the runtime opens with read and write sharing
}

namespace {

std::size_t Convert(unsigned codePage, std::string_view bytes, WideChar* out) {
    if (bytes.empty()) return 0;
    if (bytes.size() > INT_MAX) return kNotMapped;  // callers pass pieces far smaller
    const int size = static_cast<int>(bytes.size());
    // Without MB_ERR_INVALID_CHARS the table would put its default character for what it lacks.
    const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out, size);
    return units > 0 ? static_cast<std::size_t>(units) : kNotMapped;
}

}  // namespace

std::size_t ConvertMapped936(std::string_view bytes, WideChar* out) { return Convert(936, bytes, out); }

std::size_t ConvertUtf8(std::string_view bytes, WideChar* out) { return Convert(CP_UTF8, bytes, out); }
