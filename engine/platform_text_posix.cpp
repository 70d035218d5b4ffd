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

// Windows gives the user-defined areas of code page 936 to the private use area, in three blocks
// numbered row by row; iconv leaves them out. Mapped the same way here, so both builds agree.
WideChar UserDefined936(unsigned char lead, unsigned char trail) {
    if (lead == 0xFF || trail < 0x40 || trail == 0x7F || trail == 0xFF) return 0;
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1) return 0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1);
    if (lead >= 0xF8 && trail >= 0xA1) return 0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1);
    if (lead >= 0xA1 && lead <= 0xA7 && trail <= 0xA0)
        return 0xE4C6 + (lead - 0xA1) * 96 + (trail - 0x40) - (trail > 0x7F);
    return 0;
}

// Windows gives Big5's user-defined rows to the private use area too, 157 cells a row, in four
// blocks (0xC6A1 to 0xC8FE iconv maps the same way already).
WideChar UserDefinedBig5(unsigned char lead, unsigned char trail) {
    if (trail < 0x40 || (trail > 0x7E && trail < 0xA1) || trail == 0xFF) return 0;
    const int cell = trail <= 0x7E ? trail - 0x40 : trail - 0xA1 + 63;
    if (lead >= 0xFA && lead <= 0xFE) return static_cast<WideChar>(0xE000 + (lead - 0xFA) * 157 + cell);
    if (lead >= 0x8E && lead <= 0xA0) return static_cast<WideChar>(0xE311 + (lead - 0x8E) * 157 + cell);
    if (lead >= 0x81 && lead <= 0x8D) return static_cast<WideChar>(0xEEB8 + (lead - 0x81) * 157 + cell);
    return 0;
}

// Converts with iconv; where it refuses a pair, fill(lead, trail) may still name its character.
template <typename Fill>
std::size_t Convert(iconv_t converter, std::string_view bytes, WideChar* out, Fill fill) {
    if (converter == reinterpret_cast<iconv_t>(-1)) return kNotMapped;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    auto* outUnits = out;
    while (inLeft > 0) {
        char* outBytes = reinterpret_cast<char*>(outUnits);
        std::size_t outLeft = inLeft * sizeof(WideChar);
        const std::size_t result = iconv(converter, &in, &inLeft, &outBytes, &outLeft);
        outUnits = reinterpret_cast<WideChar*>(outBytes);
        if (result != static_cast<std::size_t>(-1)) break;
        const WideChar filled = inLeft >= 2 ? fill(static_cast<unsigned char>(in[0]), static_cast<unsigned char>(in[1])) : 0;
        if (!filled) return kNotMapped;
        *outUnits++ = filled;
        in += 2;
        inLeft -= 2;
    }
    return static_cast<std::size_t>(outUnits - out);
}

}  // namespace

void OpenForReading(std::ifstream& file, const std::wstring& path) {
    file.open(ToUtf8(path), std::ios::binary);
}

std::size_t ConvertMapped936(std::string_view bytes, WideChar* out) {
    // One converter for the process: opening one costs more than converting a short run.
    static const iconv_t converter = iconv_open("UTF-16LE", "CP936");
    return Convert(converter, bytes, out, UserDefined936);
}

std::size_t ConvertBig5(std::string_view bytes, WideChar* out) {
    static const iconv_t converter = iconv_open("UTF-16LE", "BIG5");
    return Convert(converter, bytes, out, UserDefinedBig5);
}

std::size_t ConvertUtf8(std::string_view bytes, WideChar* out) {
    static const iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
    return Convert(converter, bytes, out, [](unsigned char, unsigned char) { return WideChar{0}; });
}
