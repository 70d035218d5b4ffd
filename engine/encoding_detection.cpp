#include "encoding_detection.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// UTF-8's own structure is its evidence: in other encodings a well-formed multi-byte sequence is
// rare, so a file that is UTF-8 but for a cut last character or a few damaged spots stays UTF-8,
// while the wrong encoding read as UTF-8 breaks at most of its characters.
constexpr std::size_t kUtf8SequencesPerBrokenOne = 8;

// Evidence for a reading of the code pages, in points a character. Chinese text is made mostly of
// a few thousand characters; the wrong code page turns them into rarer ones, symbols and errors.
constexpr int kPointsPerFirstLevelHanzi = 10;  // GB 2312's or Big5's first level: most of any Chinese text
constexpr int kPointsPerOtherHanzi = 2;  // rarer ideographs, HKSCS's among them: real, but a wrong reading makes many
                                         // (Big5's reading of GB text out of step after a lost byte most of all)
constexpr int kPointsPerCjkPunctuation = 2;  // full-width punctuation and CJK symbols: every text has some
constexpr int kPrivateUsePenalty = -10;  // user-defined characters: almost never in files, often in a wrong reading
constexpr int kMalformedPenalty = -60;   // no character: a damaged file has a few, a wrong reading many
// A reading with more than one malformed sequence in this many characters is not the file's: three
// damaged spots in fifty characters stay below it, while Traditional text in GB18030 read as Big5
// breaks at about one character in eight (Simplified text rarely breaks: its points decide).
constexpr std::size_t kCharactersPerMalformed = 8;
constexpr long kBig5Margin = 3 * kPointsPerFirstLevelHanzi;  // GB18030 is the default: Big5 must win clearly

constexpr bool IsIdeograph(char32_t u) {
    return (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF);
}

constexpr bool IsCjkPunctuation(char32_t u) {
    return (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF01 && u <= 0xFF65) || (u >= 0xFE10 && u <= 0xFE1F) ||
           (u >= 0xFE30 && u <= 0xFE6F) || (u >= 0x2010 && u <= 0x2027);
}

// The points of each UTF-16 unit, U+FFFD's included. A high surrogate stands for its character:
// beyond the BMP, an ideograph of HKSCS or GB 18030.
const std::vector<signed char>& PointsTable() {
    static const std::vector<signed char> points = [] {
        std::vector<signed char> table(0x10000);
        for (char32_t u = 0x80; u < table.size(); ++u)
            table[u] = IsIdeograph(u) || IsHighSurrogate(u) ? kPointsPerOtherHanzi
                       : IsCjkPunctuation(u)                ? kPointsPerCjkPunctuation
                       : u >= 0xE000 && u <= 0xF8FF         ? kPrivateUsePenalty
                                                            : 0;
        // The first levels, as our own decoders read their cells: GB 2312's from 0xB0A1 to 0xD7F9,
        // Big5's from 0xA440 to 0xC67E.
        const auto add = [&table](TextEncoding encoding, unsigned first, unsigned last) {
            const bool big5 = encoding == TextEncoding::Big5;
            std::string cells;
            for (unsigned cell = first; cell <= last; ++cell) {
                const unsigned trail = cell & 0xFF;
                if ((trail >= 0xA1 && trail <= 0xFE) || (big5 && trail >= 0x40 && trail <= 0x7E))
                    cells += {static_cast<char>(cell >> 8), static_cast<char>(trail)};
            }
            std::vector<WideChar> units(cells.size());
            units.resize(DecodeWhole(encoding, cells, units.data()));
            for (const WideChar u : units)
                if (IsIdeograph(u)) table[u] = kPointsPerFirstLevelHanzi;
        };
        add(TextEncoding::Gb18030, 0xB0A1, 0xD7F9);
        add(TextEncoding::Big5, 0xA440, 0xC67E);
        table[kReplacement] = kMalformedPenalty;
        return table;
    }();
    return points;
}

struct Evidence {
    long points = 0;
    std::size_t characters = 0;  // beyond ASCII, malformed sequences included
    std::size_t malformed = 0;
};

// One pass over the span, read as the encoding (into units, room for a unit a byte): what its
// characters say for it. A character speaks once, however often it comes: a wrong reading turns a
// table's box drawing or a repeated symbol into one common character hundreds of times, and real
// text is told by how many different common characters it uses. Penalties count each time.
Evidence Weigh(TextEncoding encoding, std::string_view span, WideChar* units) {
    DecoderState cut;  // a sequence the span's end cuts off waits here, and says nothing
    const std::size_t count = Info(encoding).decode(cut, span, false, units);
    const signed char* const points = PointsTable().data();
    // Characters seen, by their low 18 bits: planes 0 to 2 hold all but a few rare ones, and two
    // of those that share a place only count once, which is no gain to a reading.
    std::vector<std::uint64_t> seen(0x40000 / 64);
    long total = 0;  // counted in locals: stores to seen could otherwise be stores to an Evidence's
    std::size_t characters = 0, malformed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = units[i];
        if (c < 0x80) continue;
        const int p = points[c];
        malformed += c == kReplacement;
        if (c - 0xD800 < 0x800) {  // a surrogate: the pair is one character
            if (IsLowSurrogate(c)) continue;
            if (i + 1 < count && IsLowSurrogate(units[i + 1])) c = (0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00)) & 0x3FFFF;
        }
        ++characters;
        const std::uint64_t word = seen[c / 64], bit = std::uint64_t{1} << (c % 64);
        total += p < 0 || !(word & bit) ? p : 0;
        seen[c / 64] = word | bit;
    }
    return {total, characters, malformed};
}

bool RuledOut(const Evidence& e) { return e.malformed * kCharactersPerMalformed > e.characters; }

TextEncoding ChooseCodePage(std::string_view start) {
    // All of the span speaks, past a Ctrl+Z or a zero too: text mode ends the text there, but a stray
    // one near the start must not leave too few characters to tell the code pages apart.
    const std::unique_ptr<WideChar[]> units(new WideChar[start.size()]);
    const Evidence gb18030 = Weigh(TextEncoding::Gb18030, start, units.get());
    const Evidence big5 = Weigh(TextEncoding::Big5, start, units.get());
    if (RuledOut(big5)) return TextEncoding::Gb18030;
    if (RuledOut(gb18030)) return TextEncoding::Big5;
    return big5.points >= gb18030.points + kBig5Margin ? TextEncoding::Big5 : TextEncoding::Gb18030;
}

bool ReadsAsUtf8(const Utf8Tally& t) { return t.broken * kUtf8SequencesPerBrokenOne <= t.multiByte; }

}  // namespace

void Feed(EncodingDetector& d, std::string_view piece, bool atEnd) {
    if (d.start.empty()) {  // still at the file's start: a byte-order mark decides at once
        for (const TextEncoding e : kEncodings) {
            const std::string_view mark = Info(e).mark;
            if (!mark.empty() && piece.substr(0, mark.size()) == mark) {
                d.result = {e, mark.size()};
                d.decided = true;
                return;
            }
        }
    }
    // The span first: past it, a file that is plainly not UTF-8 is read no further.
    std::string_view rest = piece;
    if (!d.pastSpan) {
        const std::string_view head = piece.substr(0, kChoiceSpan - d.start.size());
        // More broken sequences than all the rest of the span could make up for: not UTF-8, and
        // the tally stops there.
        const std::size_t mostBroken = (d.utf8.multiByte + (kChoiceSpan - d.start.size()) / 2) / kUtf8SequencesPerBrokenOne;
        if (!d.notUtf8) TallyUtf8(head, atEnd && head.size() == piece.size(), d.utf8, mostBroken);
        d.notUtf8 = d.notUtf8 || d.utf8.broken > mostBroken;
        d.start.append(head);
        d.pastSpan = head.size() < piece.size();
        rest.remove_prefix(head.size());
    }
    // UTF-8 is judged on all of the file, unless it is plainly not UTF-8 once the span is read.
    const auto utf8 = [&d] { return !d.notUtf8 && ReadsAsUtf8(d.utf8); };
    if (d.pastSpan && utf8()) TallyUtf8(rest, atEnd, d.utf8, SIZE_MAX);
    if (atEnd || (d.pastSpan && !utf8())) {
        d.decided = true;
        d.result.encoding = utf8() && d.utf8.multiByte > 0 ? TextEncoding::Utf8 : ChooseCodePage(d.start);
    }
}

DetectedEncoding DetectEncoding(std::string_view bytes) {
    EncodingDetector detector;
    Feed(detector, bytes, true);
    return detector.result;
}
