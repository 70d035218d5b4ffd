// One change to a real text, chosen by the input: a byte inserted, deleted or replaced anywhere, or
// the end cut off anywhere past the first kIntactCharacters, the place counted from the text's start
// or from its end, so that both ends are near. The encoding the text was written in must still be
// chosen; else the change is printed and the run aborts, so that libFuzzer keeps it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../sample_texts.h"
#include "encoding_detection.h"

constexpr std::size_t kIntactCharacters = 1000;  // a cut end leaves at least these
enum Edit { kInsert, kDelete, kReplace, kCut };
constexpr const char* kEditNames[] = {"insert", "delete", "replace", "cut"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<SampleText> texts = SampleTexts();
    std::uint8_t in[6] = {};  // text, edit and the end counted from, three bytes of place, the new byte
    std::copy_n(data, std::min(size, sizeof in), in);
    const SampleText& text = texts[in[0] % texts.size()];
    const int edit = in[1] % 4;
    const std::size_t first = edit == kCut ? text.starts[kIntactCharacters] : 0;
    const std::size_t span = text.bytes.size() + (edit == kInsert) - first;  // an insert may go at the end
    const std::size_t place = (in[2] << 16 | in[3] << 8 | in[4]) % span;
    const std::size_t at = first + (in[1] & 4 ? span - 1 - place : place);
    std::string changed = text.bytes;
    if (edit == kCut) changed.erase(at);
    // The byte there (none for an insert) gives way to the new one (none for a delete).
    else changed.replace(at, edit != kInsert, edit != kDelete, static_cast<char>(in[5]));
    const TextEncoding chosen = DetectEncoding(changed).encoding;
    if (chosen != text.encoding) {
        std::fprintf(stderr, "rule broken: %s, %s at byte %zu (of %zu, character %td), byte 0x%02X: read as %s\n",
                     text.name.c_str(), kEditNames[edit], at, text.bytes.size(),
                     std::upper_bound(text.starts.begin(), text.starts.end(), at) - text.starts.begin() - 1, in[5],
                     Info(chosen).name);
        std::abort();
    }
    return 0;
}
