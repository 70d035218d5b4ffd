#include "text_loader.h"

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <vector>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

#ifdef _WIN32

// The runtime opens text-mode streams with CR LF read as LF and Ctrl+Z as the end, sharing the
// file for reading and writing with other processes.
void OpenForReading(std::ifstream& file, const std::wstring& path) { file.open(path.c_str()); }

bool ReadLine(std::ifstream& file, std::string& line) { return static_cast<bool>(std::getline(file, line)); }

struct LocaleScope {
    LocaleScope() { std::setlocale(LC_ALL, "chs"); }
    ~LocaleScope() { std::setlocale(LC_ALL, "C"); }
};

ReadingText ConvertCodePage936(std::string bytes) {
    LocaleScope chs;
    const std::size_t n = bytes.size();
    std::vector<wchar_t> buffer(n + 1, L'\0');  // never more characters than bytes, plus the zero
    std::mbstowcs(buffer.data(), bytes.c_str(), n + 1);
    bytes = std::string();  // the bytes are done with: free them before the result is built
    return ReadingText(buffer.data());
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

void OpenForReading(std::ifstream& file, const std::wstring& path) { file.open(ToUtf8(path)); }

// Reads lines as the Windows runtime's text mode delivers them: CR LF as LF, Ctrl+Z as the end.
bool ReadLine(std::ifstream& file, std::string& line) {
    if (!std::getline(file, line)) return false;
    const bool terminated = !file.eof();
    const std::size_t stop = line.find('\x1A');
    if (stop != std::string::npos) {
        line.resize(stop);
        file.setstate(std::ios::eofbit);
        return stop > 0;  // nothing before the Ctrl+Z: the input ended at the line's start
    }
    if (terminated && !line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

ReadingText ConvertCodePage936(std::string bytes) {
    bytes.resize(std::strlen(bytes.c_str()));  // as with a zero-terminated conversion
    ReadingText result;
    iconv_t cd = iconv_open("UTF-16LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) return result;
    std::vector<char16_t> out(bytes.size() + 1);
    char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(out.data());
        std::size_t outLeft = out.size() * sizeof(char16_t);
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        result.append(out.data(), reinterpret_cast<char16_t*>(outPtr));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: mark it and go on with the next byte.
            result += u'\uFFFD';
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return result;
}

#endif

}  // namespace

ReadingText ConvertToWide(std::string bytes) { return ConvertCodePage936(std::move(bytes)); }

void LoadTextFile(ReadingCursor& cursor, const std::wstring& path) {
    cursor.text.clear();
    try {
        std::ifstream file;
        OpenForReading(file, path);
        if (!file.is_open()) return;
        std::string gathered;
        std::string line;
        while (ReadLine(file, line)) {
            gathered += line;
            gathered += '\n';
        }
        cursor.text = ConvertToWide(std::move(gathered));
    } catch (const std::bad_alloc&) {
        // A file too large for memory is not read; the strip goes on with an empty text.
        cursor.text = ReadingText();
    }
}
