#include "text_loader.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string_view>

#include "text_encoding.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

#ifdef _WIN32

// The runtime shares the file for reading and writing with other processes. Binary, since the
// encoding is decided from the bytes as they are on disk; text mode is applied by ApplyTextMode.
void OpenForReading(std::ifstream& file, const std::wstring& path) {
    file.open(path.c_str(), std::ios::binary);
}

// A locale object of the conversion's own: the process-wide locale is never switched, and the
// runtime converts markedly faster through it than through setlocale and mbstowcs.
struct ChineseLocale {
    _locale_t locale = _create_locale(LC_ALL, "chs");
    ~ChineseLocale() {
        if (locale) _free_locale(locale);
    }
};

ReadingText ConvertCodePage936(std::string bytes) {
    const ChineseLocale chs;
    const std::size_t n = bytes.size();
    // Converted in place into the text, zero-filled: never more characters than bytes, plus the
    // zero; then cut at the first zero, as a zero-terminated conversion reads it.
    ReadingText text(n + 1, L'\0');
    if (chs.locale)
        _mbstowcs_l(&text[0], bytes.c_str(), n + 1, chs.locale);
    else
        std::mbstowcs(&text[0], bytes.c_str(), n + 1);  // no "chs": the locale in force converts
    text.resize(std::wcslen(text.c_str()));
    return text;
}

#else

std::string ToUtf8(const std::wstring& path) {
    std::string out;
    for (const wchar_t wc : path) {
        const auto c = static_cast<std::uint32_t>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void OpenForReading(std::ifstream& file, const std::wstring& path) {
    file.open(ToUtf8(path), std::ios::binary);
}

// Closes the converter however the conversion ends, running out of memory included.
struct IconvHandle {
    iconv_t cd = iconv_open("UTF-16LE", "CP936");
    ~IconvHandle() {
        if (ok()) iconv_close(cd);
    }
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

ReadingText ConvertCodePage936(std::string bytes) {
    bytes.resize(std::strlen(bytes.c_str()));  // as with a zero-terminated conversion
    IconvHandle converter;
    if (!converter.ok()) return ReadingText();
    // Never more characters than bytes (an invalid byte gives one U+FFFD): the text is reserved
    // once and filled through a small buffer, so no second full-size copy exists.
    ReadingText result;
    result.reserve(bytes.size());
    char16_t chunk[8192];
    char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(chunk);
        std::size_t outLeft = sizeof chunk;
        const std::size_t rc = iconv(converter.cd, &in, &inLeft, &outPtr, &outLeft);
        result.append(chunk, reinterpret_cast<char16_t*>(outPtr));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: mark it and go on with the next byte.
            result += u'\uFFFD';
            ++in;
            --inLeft;
        }
    }
    return result;
}

#endif

constexpr std::size_t kFirstRead = 64 << 10;

// How many bytes the file holds past the read position, plus one so that the read that takes them
// also meets the end; 0 where the stream cannot tell.
std::size_t RemainingPlusOne(std::ifstream& file) {
    const std::streampos here = file.tellg();
    file.seekg(0, std::ios::end);
    const std::streampos end = file.tellg();
    file.seekg(here);
    if (here < 0 || end < here || !file) {
        file.clear();
        return 0;
    }
    return static_cast<std::size_t>(end - here) + 1;
}

// The file's bytes as they are on disk. A first small read, so that a folder (readable as a stream
// on some systems) fails before any size is asked; then the buffer is sized once for the rest,
// leaving room for the line feed that may be added.
std::string ReadWholeFile(std::ifstream& file) {
    std::string bytes;
    std::size_t filled = 0;
    std::size_t want = kFirstRead;
    for (;;) {
        bytes.resize(filled + want);
        file.read(&bytes[filled], static_cast<std::streamsize>(want));
        filled += static_cast<std::size_t>(file.gcount());
        if (!file) break;
        want = RemainingPlusOne(file);
        if (want == 0) want = filled;  // size unknown: double
    }
    bytes.resize(filled);
    return bytes;
}

// Lines end in one line feed each, an unterminated last line too; a CR before an LF is dropped, a
// lone CR kept. In place, so no copy of the text is made.
template <typename Text>
void EndLinesWithLineFeed(Text& text) {
    using Char = typename Text::value_type;
    const auto moveDown = [&text](std::size_t from, std::size_t to, std::size_t dest) {
        if (dest != from) std::copy(text.begin() + from, text.begin() + to, text.begin() + dest);
    };
    // Moves the stretch up to each CR at once; the CR itself goes only where no LF follows it.
    std::size_t in = 0;
    std::size_t out = 0;
    for (std::size_t cr = text.find(Char('\r')); cr != Text::npos; cr = text.find(Char('\r'), in)) {
        moveDown(in, cr, out);
        out += cr - in;
        in = cr + 1;
        if (in == text.size() || text[in] != Char('\n')) text[out++] = Char('\r');
    }
    moveDown(in, text.size(), out);
    text.resize(out + (text.size() - in));
    if (!text.empty() && text.back() != Char('\n')) text.push_back(Char('\n'));
}

// What the Windows runtime's text mode does to a code page file, done here so both builds agree:
// Ctrl+Z ends the input, CR LF is read as LF.
void ApplyTextMode(std::string& bytes) {
    const std::size_t stop = bytes.find('\x1A');
    if (stop != std::string::npos) bytes.resize(stop);
    EndLinesWithLineFeed(bytes);
}

ReadingText DecodeUnicode(std::string bytes, const DetectedEncoding& detected) {
    // Unicode files are read as written: only line ends are treated as in text mode; Ctrl+Z and
    // zero are characters like any other, since those rules belong to code page text and C strings.
    if (detected.encoding == TextEncoding::Utf8) {
        bytes.erase(0, detected.markLength);
        EndLinesWithLineFeed(bytes);  // CR and LF bytes never occur inside a UTF-8 sequence
        return DecodeUtf8(bytes);
    }
    ReadingText text = DecodeUtf16(std::string_view(bytes).substr(detected.markLength),
                                   detected.encoding == TextEncoding::Utf16BE);
    std::string().swap(bytes);
    EndLinesWithLineFeed(text);
    return text;
}

}  // namespace

ReadingText ConvertToWide(std::string bytes) { return ConvertCodePage936(std::move(bytes)); }

void LoadTextFile(ReadingCursor& cursor, const std::wstring& path) {
    ReadingText().swap(cursor.text);  // the old text and its memory go first
    try {
        std::ifstream file;
        OpenForReading(file, path);
        if (!file.is_open()) return;
        std::string bytes = ReadWholeFile(file);
        file.close();
        const DetectedEncoding detected = DetectEncoding(bytes);
        if (detected.encoding == TextEncoding::CodePage936) {
            ApplyTextMode(bytes);
            cursor.text = ConvertToWide(std::move(bytes));
        } else {
            cursor.text = DecodeUnicode(std::move(bytes), detected);
        }
    } catch (const std::bad_alloc&) {
        // A file too large for memory is not read; the strip goes on with an empty text.
        cursor.text = ReadingText();
    } catch (const std::length_error&) {
        cursor.text = ReadingText();  // likewise a size no string can hold
    }
}
