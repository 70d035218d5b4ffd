#include "platform_text.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

FileHandle OpenForReading(const std::wstring& path) {
    if (path.empty()) return kNoFile;
    const int fd = open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    return fd >= 0 ? fd : kNoFile;
}

std::size_t ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {  // a read may stop short of what was asked, and a signal may break it
        const ssize_t got = pread(static_cast<int>(file), buffer + done, size - done, static_cast<off_t>(offset + done));
        if (got == 0) break;
        if (got < 0 && errno != EINTR) return kReadFailed;
        if (got > 0) done += static_cast<std::size_t>(got);
    }
    return done;
}

std::uint64_t FileSize(FileHandle file) {
    struct stat status;
    return fstat(static_cast<int>(file), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
}

void CloseFile(FileHandle file) { close(static_cast<int>(file)); }

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
