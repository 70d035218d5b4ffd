// Loading and Advance, measured alike natively and in the Windows build; scripts/bench runs it in the
// inputs' folder: "write" makes them, "memory FILE" loads FILE once in a fresh process, "time" times;
// "encodings INDEX" loads each file of the evaluation corpus and prints which encoding it was read as.
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include "text_encoding.h"
#include "text_loader.h"

// Each system's own converter (out has room for a unit per byte) and resident set, now and at its peak.
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

std::size_t PlatformConvert(const char* bytes, std::size_t size, bool utf8, char16_t* out) {
    const int n = static_cast<int>(size);  // the inputs are far below 2 GB
    return MultiByteToWideChar(utf8 ? CP_UTF8 : 936, 0, bytes, n, reinterpret_cast<wchar_t*>(out), n);
}
void Resident(double& now, double& peak) {
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    now = static_cast<double>(c.WorkingSetSize), peak = static_cast<double>(c.PeakWorkingSetSize);
}
void ResetPeak() {}  // Windows keeps one peak per process, hence a fresh process per memory run
#else
#include <iconv.h>

std::size_t PlatformConvert(const char* bytes, std::size_t size, bool utf8, char16_t* out) {
    const iconv_t cd = iconv_open("UTF-16LE", utf8 ? "UTF-8" : "CP936");
    char *in = const_cast<char*>(bytes), *to = reinterpret_cast<char*>(out);
    std::size_t inLeft = size, outLeft = 2 * size;
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    return size - outLeft / 2;
}
void Resident(double& now, double& peak) {
    std::ifstream status("/proc/self/status");
    for (std::string word; status >> word;)
        if (word == "VmRSS:" || word == "VmHWM:") status >> (word == "VmRSS:" ? now : peak);
    now *= 1024, peak *= 1024;  // given in kB
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }  // VmHWM back to VmRSS
#endif

namespace {

constexpr double kMB = 1 << 20;
const std::string k936 = "novel-936.txt", kUtf8 = "novel-utf8.txt";
volatile std::size_t gSink;  // keeps what is measured from being optimised away

// One row of the table: the figure, its value with the ratio the goal is judged on, goal, verdict.
void Row(const std::string& figure, const char* goal, bool met, const char* format, ...) {
    char value[80];
    va_list args;
    va_start(args, format);
    std::vsnprintf(value, sizeof value, format, args);
    va_end(args);
    std::printf("| %-47s | %-22s | %-22s | %-6s |\n", figure.c_str(), value, goal,
                *goal ? met ? "met" : "MISSED" : "");
}

// A novel-like text in code page 936, the same on every run: lines of 20 to 400 characters, mostly
// GB2312's first-level (common) characters, a tenth full-width punctuation, 4% ASCII; CR LF ends.
std::string Novel(std::size_t size) {
    static const char kPunctuation[] = "\xA3\xAC\xA3\xAC\xA1\xA3\xA3\xA1\xA3\xBF\xA1\xB0\xA1\xB1\xA1\xA2";  // ，，。！？“”、
    std::uint64_t state = 0x5EEDF00DCAFEULL;  // xorshift: standard distributions differ between libraries
    const auto below = [&state](std::uint64_t n) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return (state >> 32) % n;
    };
    std::string text;
    while (text.size() < size) {
        for (auto i = 20 + below(381); i > 0; --i) {
            const auto kind = below(100), k = below(3755);  // first level: rows 0xB0 to 0xD7, 94 a row
            if (kind < 86) text += {static_cast<char>(0xB0 + k / 94), static_cast<char>(0xA1 + k % 94)};
            else if (kind < 96) text.append(kPunctuation + 2 * (k % 8), 2);
            else text += "abcdefghijklmnopqrstuvwxyz0123456789 "[k % 37];
        }
        text += "\r\n";
    }
    return text;
}

int Write() {
    const std::string cp936 = Novel(100 << 20);
    std::unique_ptr<char16_t[]> units(new char16_t[cp936.size()]);
    std::string utf8;
    for (std::size_t i = 0, n = PlatformConvert(cp936.data(), cp936.size(), false, units.get()); i < n; ++i) {
        const char16_t c = units[i];  // past ASCII, all of the novel is at U+0800 or above: three bytes
        if (c < 0x80) utf8 += static_cast<char>(c);
        else utf8 += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
    }
    std::ofstream(k936, std::ios::binary) << cp936;
    std::ofstream(kUtf8, std::ios::binary) << utf8;
    ReadingCursor cursor;
    LoadTextFile(cursor, L"novel-936.txt");
    Row("Files: code page 936; UTF-8", "", false, "%.1f MB; %.1f MB", cp936.size() / kMB, utf8.size() / kMB);
    Row("Text either loads to (2 bytes a unit)", "", false, "%.1f MB", cursor.text.size() * 2 / kMB);
    return cursor.text.empty();
}

// One load, the first large allocation of a fresh process, so that the peak is the load's own.
int Memory(const std::string& file) {
    ReadingCursor cursor;
    double before = 0, now = 0, peak = 0;
    ResetPeak();
    Resident(before, peak);
    LoadTextFile(cursor, std::wstring(file.begin(), file.end()));
    Resident(now, peak);
    const double text = 2.0 * cursor.text.size();
    const std::string which = file == k936 ? ", code page 936" : ", UTF-8";
    const double grew = peak - before, kept = now - before;
    Row("Peak resident growth in one load" + which, "<= 1.25x text + 16 MB", grew <= 1.25 * text + 16 * kMB,
        "%.0f MB = %.2fx text", grew / kMB, grew / text);
    Row("Resident growth kept after it" + which, "<= 1.05x text + 1 MB", kept <= 1.05 * text + kMB,
        "%.0f MB = %.2fx text", kept / kMB, kept / text);
    return text == 0;
}

// The best of five runs of each, taken in turns so that both meet the same load on the shared machine.
template <typename A, typename B>
std::pair<double, double> BestOfFive(A a, B b) {
    double best[2] = {1e30, 1e30};
    const auto time = [&best](int i, auto measured) {
        const auto start = std::chrono::steady_clock::now();
        measured();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best[i]) best[i] = took.count();  // no std::min: windows.h may define min
    };
    for (int run = 0; run < 5; ++run) time(0, a), time(1, b);
    return {best[0], best[1]};
}

// Load time against the least any loader does: read the bytes, convert them once with the system's
// converter.
void LoadTime(const std::string& file, bool utf8, double times, const char* goal) {
    const auto [load, bare] = BestOfFive([&] {
        ReadingCursor cursor;
        LoadTextFile(cursor, std::wstring(file.begin(), file.end()));
        gSink = cursor.text.size();
    }, [&] {
        std::ifstream in(file, std::ios::binary | std::ios::ate);
        const auto size = static_cast<std::size_t>(in.tellg());
        std::unique_ptr<char[]> bytes(new char[size]);
        std::unique_ptr<char16_t[]> units(new char16_t[size]);
        in.seekg(0).read(bytes.get(), static_cast<std::streamsize>(size));
        gSink = PlatformConvert(bytes.get(), size, utf8, units.get());
    });
    Row("Load time, " + std::string(utf8 ? "UTF-8" : "code page 936") + " (vs read + convert)", goal,
        load <= times * bare, "%.0f / %.0f ms = %.2fx", load * 1e3, bare * 1e3, load / bare);
}

int Time() {
    LoadTime(k936, false, 1.3, "<= 1.3x read + convert");
    LoadTime(kUtf8, true, 2, "<= 2x read + convert");
    ReadingCursor cursor;
    cursor.text.assign(5'000'000, u'\n');
    const ReadingText& text = cursor.text;
    const auto [advance, scan] = BestOfFive([&] { cursor.offset = 0, Advance(cursor, 13); },
                                            [&] { gSink = std::find(text.begin(), text.end(), u'x') - text.begin(); });
    Row("Advance over 5,000,000 empty lines (vs find)", "<= 10x std::find", advance <= 10 * scan,
        "%.2f / %.2f ms = %.1fx", advance * 1e3, scan * 1e3, advance / scan);
    LoadTextFile(cursor, L"novel-936.txt");
    const double steady = BestOfFive([&] { for (int i = 0; i < 1'000'000; ++i) Advance(cursor, 26); }, [] {}).first;
    Row("Advance in steady reading, 26 at a time", "", false, "%.0f ns/call", steady * 1e3);  // 1e9 ns, 1e6 calls
    return cursor.text.empty();
}

// The evaluation corpus (scripts/lib/encoding_corpus.py): each file loaded, and its text compared with
// the one it was made from. One row a class of file: how many were read as each encoding, and right.
int Encodings(const std::string& index) {
    struct Class {
        int files = 0, right = 0;
        std::map<std::string, int> readAs;
    };
    std::map<std::string, Class> classes;
    std::ifstream rows(index);
    for (std::string row, name, size, file, expected; std::getline(rows, row);) {
        std::istringstream fields(row);
        std::getline(fields, name, '\t'), std::getline(fields, size, '\t'), std::getline(fields, file, '\t');
        std::getline(fields, expected, '\t');
        if (name == "big5") name += std::stoi(size) >= 40 ? ", 40 characters or more" : ", 12 to 39 characters";
        const auto slurp = [](const std::string& path) {
            std::ifstream in(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        const std::string bytes = slurp(file), utf8 = slurp(expected);
        ReadingText text(utf8.size() + 1, u'\n');  // the loader ends the last line
        text.resize(Info(TextEncoding::Utf8).decode(utf8, &text[0]) + (utf8.empty() || utf8.back() != '\n'));
        ReadingCursor cursor;
        LoadTextFile(cursor, std::wstring(file.begin(), file.end()));
        Class& c = classes[name];
        ++c.files, c.right += cursor.text == text && !text.empty();
        ++c.readAs[Info(DetectEncoding(bytes).encoding).name];
    }
    bool met = !classes.empty();
    for (const auto& [name, c] : classes) {
        const bool goal = name.find("12 to 39") == std::string::npos;  // short Big5: as evidence allows
        std::string as;
        for (const auto& [encoding, files] : c.readAs) as += (as.empty() ? "" : ", ") + std::to_string(files) + " " + encoding;
        std::printf("| %-35s | %5d | %-40s | %5d | %-4s | %-6s |\n", name.c_str(), c.files, as.c_str(), c.right,
                    goal ? "all" : "", goal ? c.right == c.files ? "met" : "MISSED" : "");
        met = met && (!goal || c.right == c.files);
    }
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "memory" && argc > 2) return Memory(argv[2]);
    if (mode == "encodings" && argc > 2) return Encodings(argv[2]);
    return mode == "write" ? Write() : mode == "time" ? Time() : 2;
}
