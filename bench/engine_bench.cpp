// Loading, deciding and Advance, measured alike natively and in the Windows build; scripts/bench runs it
// in the inputs' folder: "write" makes them, "memory FILE" loads FILE once in a fresh process, "time"
// times; "encodings INDEX DIGESTS" loads each file of an evaluation corpus, prints which encoding each
// class was read as and how many right, and writes a digest of each file's text to DIGESTS, so that
// the two builds' texts can be compared; "bands INDEX DIGESTS" counts what each size of file was read as.
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "encoding_detection.h"
#include "text_loader.h"

constexpr unsigned kUtf8CodePage = 65001;

// Each system's own converter (out has room for a unit per byte) and resident set, now and at its peak.
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

std::size_t PlatformConvert(const char* bytes, std::size_t size, unsigned codePage, char16_t* out) {
    const int n = static_cast<int>(size);  // the inputs are far below 2 GB
    return MultiByteToWideChar(codePage, 0, bytes, n, reinterpret_cast<wchar_t*>(out), n);
}
void Resident(double& now, double& peak) {
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    now = static_cast<double>(c.WorkingSetSize), peak = static_cast<double>(c.PeakWorkingSetSize);
}
void ResetPeak() {}  // Windows keeps one peak per process, hence a fresh process per memory run
#else
#include <iconv.h>

std::size_t PlatformConvert(const char* bytes, std::size_t size, unsigned codePage, char16_t* out) {
    const iconv_t cd = iconv_open("UTF-16LE", codePage == 936 ? "CP936" : codePage == 950 ? "BIG5" : "UTF-8");
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

// The inputs: a novel in each of the code pages, and in UTF-8 and UTF-16, with the encoding the
// engine must read each in and the system's converter for it (none for UTF-16, which is not timed).
struct Input {
    const char* file;
    const char* name;
    TextEncoding encoding;
    unsigned codePage;
};
constexpr Input k936{"novel-936.txt", "code page 936", TextEncoding::Gb18030, 936},
    kBig5{"novel-big5.txt", "Big5", TextEncoding::Big5, 950}, kUtf8{"novel-utf8.txt", "UTF-8", TextEncoding::Utf8, kUtf8CodePage},
    kUtf16{"novel-utf16.txt", "UTF-16", TextEncoding::Utf16LE, 0};
constexpr Input kInputs[] = {k936, kBig5, kUtf8, kUtf16};
volatile std::size_t gSink;  // keeps what is measured from being optimised away

std::wstring Wide(const std::string& path) { return std::wstring(path.begin(), path.end()); }

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

// A novel-like text, the same on every run: lines of 20 to 400 characters, mostly the first level
// (common characters) of GB 2312 or of Big5, a tenth full-width punctuation, 4% ASCII; CR LF ends.
std::string Novel(std::size_t size, bool big5) {
    static const char k936Punctuation[] = "\xA3\xAC\xA3\xAC\xA1\xA3\xA3\xA1\xA3\xBF\xA1\xB0\xA1\xB1\xA1\xA2";  // ，，。！？“”、
    static const char kBig5Punctuation[] = "\xA1\x41\xA1\x41\xA1\x43\xA1\x49\xA1\x48\xA1\x75\xA1\x76\xA1\x42";  // ，，。！？「」、
    // GB 2312: rows 0xB0 to 0xD7, 94 a row, 3755 in all; Big5: 0xA440 to 0xC67E, 157 a row, 5401 in all.
    const std::uint64_t levelOne = big5 ? 5401 : 3755;
    std::uint64_t state = 0x5EEDF00DCAFEULL;  // xorshift: standard distributions differ between libraries
    const auto below = [&state](std::uint64_t n) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return (state >> 32) % n;
    };
    std::string text;
    while (text.size() < size) {
        for (auto i = 20 + below(381); i > 0; --i) {
            const auto kind = below(100), k = below(levelOne);
            if (kind < 86 && big5) {
                const auto cell = k % 157;  // 63 second bytes 0x40 to 0x7E, then 94 from 0xA1
                text += {static_cast<char>(0xA4 + k / 157), static_cast<char>(cell < 63 ? 0x40 + cell : 0xA1 + cell - 63)};
            } else if (kind < 86) {
                text += {static_cast<char>(0xB0 + k / 94), static_cast<char>(0xA1 + k % 94)};
            } else if (kind < 96) {
                text.append((big5 ? kBig5Punctuation : k936Punctuation) + 2 * (k % 8), 2);
            } else {
                text += "abcdefghijklmnopqrstuvwxyz0123456789 "[k % 37];
            }
        }
        text += "\r\n";
    }
    return text;
}

int Write() {
    const std::string cp936 = Novel(100 << 20, false), big5 = Novel(100 << 20, true);
    std::unique_ptr<char16_t[]> units(new char16_t[cp936.size()]);
    std::string utf8, utf16 = "\xFF\xFE";
    for (std::size_t i = 0, n = PlatformConvert(cp936.data(), cp936.size(), 936, units.get()); i < n; ++i) {
        const char16_t c = units[i];  // past ASCII, all of the novel is at U+0800 or above: three bytes
        if (c < 0x80) utf8 += static_cast<char>(c);
        else utf8 += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        utf16 += {char(c & 0xFF), char(c >> 8)};
    }
    std::ofstream(k936.file, std::ios::binary) << cp936;
    std::ofstream(kBig5.file, std::ios::binary) << big5;
    std::ofstream(kUtf8.file, std::ios::binary) << utf8;
    std::ofstream(kUtf16.file, std::ios::binary) << utf16;
    double text[2];
    for (int i = 0; i < 2; ++i) {
        ReadingCursor cursor;
        LoadTextFile(cursor, Wide(kInputs[i].file));
        text[i] = cursor.text.size() * 2 / kMB;
    }
    Row("Files: code page 936; Big5; UTF-8; UTF-16", "", false, "%.0f; %.0f; %.0f; %.0f MB", cp936.size() / kMB,
        big5.size() / kMB, utf8.size() / kMB, utf16.size() / kMB);
    Row("Text they load to (2 bytes a unit), 936; Big5", "", false, "%.0f; %.0f MB", text[0], text[1]);
    return text[0] == 0 || text[1] == 0;
}

// One load, the first large allocation of a fresh process, so that the peak is the load's own.
int Memory(const std::string& file) {
    ReadingCursor cursor;
    double before = 0, now = 0, peak = 0;
    ResetPeak();
    Resident(before, peak);
    LoadTextFile(cursor, Wide(file));
    Resident(now, peak);
    const double text = 2.0 * cursor.text.size();
    std::string which;
    for (const Input& input : kInputs)
        if (file == input.file) which = std::string(", ") + input.name;
    const double grew = peak - before, kept = now - before;
    Row("Peak resident growth in one load" + which, "<= 1.1x text", grew <= 1.1 * text, "%.0f MB = %.2fx text",
        grew / kMB, grew / text);
    Row("Resident growth kept after it" + which, "<= 1.02x text", kept <= 1.02 * text, "%.0f MB = %.2fx text",
        kept / kMB, kept / text);
    // What the system commits for the text, which resident memory does not show while it is untouched.
    const double room = 2.0 * cursor.text.capacity();
    Row("Room set aside for the text" + which, "<= 1.1x text", room <= 1.1 * text, "%.0f MB = %.2fx text", room / kMB,
        room / text);
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
// converter for that code page.
void LoadTime(const Input& input, double times, const char* goal) {
    const auto [load, bare] = BestOfFive([&] {
        ReadingCursor cursor;
        LoadTextFile(cursor, Wide(input.file));
        gSink = cursor.text.size();
    }, [&] {
        std::ifstream in(input.file, std::ios::binary | std::ios::ate);
        const auto size = static_cast<std::size_t>(in.tellg());
        std::unique_ptr<char[]> bytes(new char[size]);
        std::unique_ptr<char16_t[]> units(new char16_t[size]);
        in.seekg(0).read(bytes.get(), static_cast<std::streamsize>(size));
        gSink = PlatformConvert(bytes.get(), size, input.codePage, units.get());
    });
    Row("Load time, " + std::string(input.name) + " (vs read + convert)", goal, load <= times * bare,
        "%.0f / %.0f ms = %.2fx", load * 1e3, bare * 1e3, load / bare);
}

// Deciding a file's encoding, DetectEncoding over all of a 100 MB file, against deciding on its
// first kChoiceSpan bytes alone: a large file must cost no more to decide, one pass over the start for each
// candidate (the UTF-8 check, which must see a whole file to accept it, stops on these files as soon
// as their broken sequences are more than the rest of the first 64 kB could make up for). Beside it,
// for scale, decoding those 64 kB once with each of the three candidates; deciding also weighs each
// code page's reading character by character, so it costs somewhat more than that.
void DecideTime(const Input& input) {
    const std::string bytes = Slurp(input.file);
    const std::string start = bytes.substr(0, kChoiceSpan);
    std::unique_ptr<WideChar[]> units(new WideChar[kChoiceSpan]);
    constexpr int kRepeats = 20;  // one decision takes well under a millisecond: time twenty
    const auto decide = [&](const std::string& b) {
        return [&] { for (int i = 0; i < kRepeats; ++i) gSink = static_cast<std::size_t>(DetectEncoding(b).encoding); };
    };
    const auto [all, first] = BestOfFive(decide(bytes), decide(start));
    const double decodes = BestOfFive([&] {
        for (int i = 0; i < kRepeats; ++i)
            for (const Input& candidate : {k936, kBig5, kUtf8}) gSink = DecodeWhole(candidate.encoding, start, units.get());
    }, [] {}).first;
    Row("Deciding, " + std::string(input.name) + " (vs its first 64 kB)", "<= 1.1x the 64 kB", all <= 1.1 * first,
        "%.2f / %.2f ms = %.2fx", all * 1e3 / kRepeats, first * 1e3 / kRepeats, all / first);
    Row("  the same against 3 decodes of 64 kB", "", false, "%.2f / %.2f ms = %.2fx", all * 1e3 / kRepeats,
        decodes * 1e3 / kRepeats, all / decodes);
}

int Time() {
    LoadTime(k936, 1.0, "<= 1.0x read + convert");
    LoadTime(kBig5, 1.0, "<= 1.0x read + convert");
    LoadTime(kUtf8, 2, "<= 2x read + convert");
    DecideTime(k936);
    DecideTime(kBig5);
    ReadingCursor cursor;
    cursor.text.assign(5'000'000, u'\n');
    const ReadingText& text = cursor.text;
    const auto [advance, scan] = BestOfFive([&] { cursor.offset = 0, Advance(cursor, 13); },
                                            [&] { gSink = std::find(text.begin(), text.end(), u'x') - text.begin(); });
    Row("Advance over 5,000,000 empty lines (vs find)", "<= 10x std::find", advance <= 10 * scan,
        "%.2f / %.2f ms = %.1fx", advance * 1e3, scan * 1e3, advance / scan);
    LoadTextFile(cursor, Wide(k936.file));
    const double steady = BestOfFive([&] { for (int i = 0; i < 1'000'000; ++i) Advance(cursor, 26); }, [] {}).first;
    Row("Advance in steady reading, 26 at a time", "", false, "%.0f ns/call", steady * 1e3);  // 1e9 ns, 1e6 calls
    return cursor.text.empty();
}

// ---- The evaluation corpus (scripts/lib/encoding_corpus.py)

struct CorpusFile {
    std::string name, file, expected;
    int size;  // Chinese (non-ASCII) characters
};

std::vector<CorpusFile> ReadIndex(const std::string& index) {
    std::vector<CorpusFile> files;
    std::ifstream rows(index);
    for (std::string row, name, size, file, expected; std::getline(rows, row);) {
        std::istringstream fields(row);
        std::getline(fields, name, '\t'), std::getline(fields, size, '\t'), std::getline(fields, file, '\t');
        std::getline(fields, expected, '\t');
        files.push_back({name, file, expected, std::stoi(size)});
    }
    return files;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The row a file counts in, and whether the row has a goal. Big5 needs evidence, so Big5 files under
// 40 characters are reported, not judged; code page 936 files under 4 characters (the stress set has
// them) may be valid Big5 or UTF-8 by chance; after a slip, most of a short text is garbage in either
// code page, so a few of those are lost to Big5: reported.
std::string ClassRow(const CorpusFile& f, bool& judged) {
    judged = f.name != "cp936-short-slipped";
    if (StartsWith(f.name, "big5")) {
        judged = f.size >= 40;
        return f.name + (judged ? ", 40 characters or more" : ", under 40 characters");
    }
    if (StartsWith(f.name, "cp936") && f.size < 4) {
        judged = false;
        return f.name + ", under 4 characters";
    }
    return f.name;
}

// 64-bit FNV-1a over the text's UTF-16 units, low byte first: equal texts, equal digests on both builds.
std::uint64_t Digest(const ReadingText& text) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const auto unit : text)
        for (const unsigned byte : {unsigned(unit) & 0xFF, unsigned(unit) >> 8 & 0xFF}) hash = (hash ^ byte) * 0x100000001B3ULL;
    return hash;
}

std::string ReadAs(const std::map<std::string, int>& counts) {
    std::string as;
    for (const auto& [encoding, files] : counts) as += (as.empty() ? "" : ", ") + std::to_string(files) + " " + encoding;
    return as;
}

// Each file loaded, and its text compared with the one it was made from. One row a class of file: how
// many were read as each encoding, and right. DIGESTS gets a line a file: file, read as, digest, right.
int Encodings(const std::string& index, const std::string& digests) {
    struct Class {
        int files = 0, right = 0;
        bool judged = true;
        std::map<std::string, int> readAs;
    };
    std::map<std::string, Class> classes;
    std::ofstream out(digests, std::ios::binary);
    for (const CorpusFile& f : ReadIndex(index)) {
        const std::string bytes = Slurp(f.file), utf8 = Slurp(f.expected);
        ReadingText text(utf8.size() + 1, u'\n');  // the loader ends the last line
        text.resize(DecodeWhole(TextEncoding::Utf8, utf8, &text[0]) + (utf8.empty() || utf8.back() != '\n'));
        ReadingCursor cursor;
        LoadTextFile(cursor, Wide(f.file));
        bool judged;
        Class& c = classes[ClassRow(f, judged)];
        const bool right = cursor.text == text && !text.empty();
        const std::string as = Info(DetectEncoding(bytes).encoding).name;
        ++c.files, c.right += right, c.judged = judged, ++c.readAs[as];
        char digest[17];
        std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(Digest(cursor.text)));
        out << f.file << '\t' << as << '\t' << digest << '\t' << right << '\n';
    }
    bool met = !classes.empty();
    for (const auto& [name, c] : classes) {
        std::printf("| %-38s | %5d | %-40s | %5d | %-4s | %-6s |\n", name.c_str(), c.files, ReadAs(c.readAs).c_str(),
                    c.right, c.judged ? "all" : "", c.judged ? c.right == c.files ? "met" : "MISSED" : "");
        met = met && (!c.judged || c.right == c.files);
    }
    return met ? 0 : 1;
}

// What each class was read as, by size: the rule that no code page 936 file of real text with 4 Chinese
// characters or more is read as Big5 or UTF-8 is judged band by band.
int Bands(const std::string& index, const std::string& digests) {
    std::map<std::string, std::string> readAs;
    std::ifstream lines(digests);
    for (std::string file, as, rest; std::getline(lines, file, '\t') && std::getline(lines, as, '\t');)
        std::getline(lines, rest), readAs[file] = as;
    static const struct { int fewest; const char* name; } kBands[] = {{1, "1-3"}, {4, "4-11"}, {12, "12-39"}, {40, "40+"}};
    std::map<std::pair<std::string, int>, std::map<std::string, int>> counts;
    for (const CorpusFile& f : ReadIndex(index)) {
        int band = 0;
        while (band + 1 < 4 && f.size >= kBands[band + 1].fewest) ++band;
        ++counts[{f.name, band}][readAs.count(f.file) ? readAs[f.file] : "nothing"];
    }
    bool met = !counts.empty();
    for (const auto& [key, as] : counts) {
        const bool judged = StartsWith(key.first, "cp936") && key.second > 0;
        int files = 0;
        for (const auto& [encoding, n] : as) files += n;
        const bool clean = !as.count("Big5") && !as.count("UTF-8");
        std::printf("| %-20s | %-5s | %5d | %-40s | %-16s | %-6s |\n", key.first.c_str(), kBands[key.second].name, files,
                    ReadAs(as).c_str(), judged ? "no Big5 or UTF-8" : "", judged ? clean ? "met" : "MISSED" : "");
        met = met && (!judged || clean);
    }
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "memory" && argc > 2) return Memory(argv[2]);
    if (mode == "encodings" && argc > 3) return Encodings(argv[2], argv[3]);
    if (mode == "bands" && argc > 3) return Bands(argv[2], argv[3]);
    return mode == "write" ? Write() : mode == "time" ? Time() : 2;
}
