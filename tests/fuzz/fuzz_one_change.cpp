// One change to a real text, chosen by the input: a byte inserted, deleted or replaced anywhere, or
// the end cut off anywhere past the first kIntactCharacters. The encoding the text was written in
// must still be chosen; else the change is printed and the run aborts, so that libFuzzer keeps it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../sample_texts.h"
#include "encoding_detection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<SampleText> texts = SampleTexts();
    std::uint8_t in[6] = {};  // text, edit, three bytes of position, the new byte
    std::copy_n(data, std::min(size, sizeof in), in);
    const SampleText& text = texts[in[0] % texts.size()];
    const auto edit = static_cast<Edit>(in[1] % 4);
    const std::size_t first = edit == Edit::Cut ? text.starts[kIntactCharacters] : 0;
    const std::size_t span = text.bytes.size() + (edit == Edit::Insert) - first;  // an insert may go at the end
    const std::size_t at = first + (in[2] << 16 | in[3] << 8 | in[4]) % span;
    const TextEncoding chosen = DetectEncoding(Changed(text.bytes, edit, at, static_cast<char>(in[5]))).encoding;
    if (chosen != text.encoding) {
        std::fprintf(stderr, "rule broken: %s, %s at byte %zu (of %zu, character %td), byte 0x%02X: read as %s\n",
                     text.name.c_str(), kEditNames[in[1] % 4], at, text.bytes.size(),
                     std::upper_bound(text.starts.begin(), text.starts.end(), at) - text.starts.begin() - 1, in[5],
                     Info(chosen).name);
        std::abort();
    }
    return 0;
}
