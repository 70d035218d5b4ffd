#include "platform_text.h"

#include <iconv.h>

#include <cstdint>

namespace {

std::string ToUtf8(const std::wstring& path) {
    std::string out;
    for (const wchar_t wc : path) {
        const auto c = static_cast<std::uint32_t>(wc);
        const int trailing = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static constexpr unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(kLead[trailing] | (c >> (6 * trailing)));
        for (int shift = 6 * (trailing - 1); shift >= 0; shift -= 6)
            out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
    return out;
}

}  // namespace

void OpenForReading(std::ifstream& file, const std::wstring& path) {
    file.open(ToUtf8(path), std::ios::binary);
}

std::size_t ConvertUtf8(std::string_view bytes, WideChar* out) {
    // One converter for the process: opening one costs more than converting a short run.
    static const iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return kNotMapped;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = reinterpret_cast<char*>(out);
    std::size_t outLeft = bytes.size() * sizeof(WideChar);
    if (iconv(converter, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1)) return kNotMapped;
    return static_cast<std::size_t>(reinterpret_cast<WideChar*>(to) - out);
}
