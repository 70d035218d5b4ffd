#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding_detection.h"
#include "index_big5.h"
#include "index_gb18030.h"

namespace {

using namespace std::string_literals;

// Decodes the bytes in pieces that end at each of ends, the state carried from one to the next.
WideString DecodePieces(TextEncoding encoding, std::string_view bytes, std::vector<std::size_t> ends) {
    WideString units(bytes.size() + 1, WideChar{});
    DecoderState state;
    std::size_t from = 0, count = 0;
    ends.push_back(bytes.size());
    for (std::size_t i = 0; i < ends.size(); from = ends[i++])
        count += Info(encoding).decode(state, bytes.substr(from, ends[i] - from), i + 1 == ends.size(), &units[count]);
    return units.substr(0, count);
}

// The bytes decoded whole; split anywhere in two, and a byte at a time, they must give the same.
WideString Decode(TextEncoding encoding, std::string_view bytes) {
    const WideString whole = DecodePieces(encoding, bytes, {});
    std::vector<std::size_t> everyByte;
    for (std::size_t k = 0; k <= bytes.size(); everyByte.push_back(k++))
        EXPECT_EQ(DecodePieces(encoding, bytes, {k}), whole) << "split at " << k;
    EXPECT_EQ(DecodePieces(encoding, bytes, everyByte), whole) << "a byte at a time";
    return whole;
}

// What a detector fed the bytes in two pieces, split at k, decides.
TextEncoding DecidedInTwoPieces(std::string_view bytes, std::size_t k) {
    EncodingDetector detector;
    Feed(detector, bytes.substr(0, k), false);
    if (!detector.decided) Feed(detector, bytes.substr(k), true);
    return detector.result.encoding;
}

// A code point's units as the decoders write them: Put's pairs are the literal rows beyond U+FFFF below.
WideString Units(char32_t c) { WideChar u[2]; return WideString(u, Put(c, u) - u); }

// What a pair that is no character becomes: one U+FFFD, and its second byte read again when ASCII.
WideString Broken(int trail) { return trail < 0x80 ? WideString{0xFFFD, WideChar(trail)} : WideString{0xFFFD}; }

// Every pair a lead byte can start, against the index itself: the same text on every build.
TEST(ChineseDecoders, EveryPairReadsAsItsIndexSays) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            SCOPED_TRACE(std::to_string(lead) + " " + std::to_string(trail));
            const std::string pair{char(lead), char(trail)};
            const bool gbTrail = trail >= 0x40 && trail != 0x7F && trail != 0xFF;
            const unsigned gbPointer = (lead - 0x81) * 190 + trail - (trail < 0x7F ? 0x40 : 0x41);
            // A digit starts a four-byte sequence, which the end cuts off.
            const WideString gb18030 = trail >= 0x30 && trail <= 0x39 ? WideString{0xFFFD}
                                       : gbTrail                      ? Units(kIndexGb18030[gbPointer])
                                                                      : Broken(trail);
            EXPECT_EQ(Decode(TextEncoding::Gb18030, pair), gb18030);

            const bool big5Trail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE);
            const unsigned pointer = (lead - 0x81) * 157 + trail - (trail < 0x7F ? 0x40 : 0x62);
            WideString big5 = big5Trail && kIndexBig5[pointer] ? Units(kIndexBig5[pointer]) : Broken(trail);
            if (big5Trail && (pointer == 1133 || pointer == 1135 || pointer == 1164 || pointer == 1166))
                big5 = {WideChar(pointer < 1164 ? 0xCA : 0xEA), WideChar(pointer == 1133 || pointer == 1164 ? 0x0304 : 0x030C)};
            EXPECT_EQ(Decode(TextEncoding::Big5, pair), big5);
        }
    }
    for (int b = 0x80; b <= 0xFF; ++b) {  // a byte alone: only GB18030's 0x80 is a character
        EXPECT_EQ(Decode(TextEncoding::Gb18030, std::string(1, char(b))), WideString(1, WideChar(b == 0x80 ? 0x20AC : 0xFFFD)));
        EXPECT_EQ(Decode(TextEncoding::Big5, std::string(1, char(b))), WideString{0xFFFD});
    }
}

struct DecodeCase {
    const char* name;
    TextEncoding encoding;
    std::string bytes;
    std::u16string units;
};

// Each sequence that is no character becomes one U+FFFD, and the bytes after it are read again as
// the Encoding Standard says.
TEST(Decoders, ReadSequencesWholeAndSplitAnywhere) {
    const DecodeCase cases[] = {
        // GB 18030's four-byte sequences: the ends of the BMP part, a range's start, the one special
        // case, the ends of the supplementary part; past an end, one U+FFFD for the four bytes; broken
        // off, the lead byte is one U+FFFD and the bytes after it are read again; cut off by the end,
        // one U+FFFD.
        {"FourBytesBmpEnds", TextEncoding::Gb18030, "\x81\x30\x81\x30|\x81\x30\x84\x38|\x84\x31\xA4\x39", u"\u0080|©|\uFFFF"},
        {"FourBytesSpecialCase", TextEncoding::Gb18030, "\x81\x35\xF4\x37", u"\uE7C7"},
        {"FourBytesSupplementary", TextEncoding::Gb18030, "\x90\x30\x81\x30 \x95\x32\x82\x36 \xE3\x32\x9A\x35", u"\U00010000 𠀀 \U0010FFFF"},
        {"FourBytesPastEnds", TextEncoding::Gb18030, "\x84\x31\xA5\x30|\xE3\x32\x9A\x36", u"\uFFFD|\uFFFD"},
        {"FourBytesCut", TextEncoding::Gb18030, "\x81\x30\x81 \x81\x30\r\n\x81\x30\x81\r\x81\x30\x81", u"\uFFFD0\uFFFD \uFFFD0\r\n\uFFFD0\uFFFD\r\uFFFD"},
        {"Utf8FourBytesWholeAndCut", TextEncoding::Utf8, "\xF0\x9F\x98\x80|\xF0\x9F\x98|\xE4\xB8\xAD|\xE4\xB8", u"😀|\uFFFD|中|\uFFFD"},
        {"Utf8OverlongSurrogateTooHigh", TextEncoding::Utf8, "\xC0\xAF\xE0\x9F\xED\xA0\xF4\x90", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"Utf16LePairAndBrokenUnits", TextEncoding::Utf16LE, "\x3D\xD8\x00\xDE" "a\0\x3D\xD8\n\0\x00\xDC" "b"s, u"😀a\uFFFD\n\uFFFD\uFFFD"},
        {"Utf16BeCutInAPair", TextEncoding::Utf16BE, "\xD8\x3D\xDE\x00\0a\xD8\x3D\xDE"s, u"😀a\uFFFD"},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode(c.encoding, c.bytes), ToWide(c.units));
    }
}

struct DetectionCase {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
};

// Bytes written as hex digits, for rows taken from real files.
std::string FromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

const std::string kBig5Poem = "\xAC" "K\xAF" "v\xA4\xA3\xC4\xB1\xBE\xE5\xA1" "A\xB3" "B\xB3" "B\xBB" "D\xB3\xDA\xB3\xBE\xA1" "C";  // 春眠不覺曉，處處聞啼鳥。
const std::string kUtf8Text = u8"统一码文本的第一行，之后还有更多的文字。";
// One broken sequence in eight well-formed ones: a sequence lost or broken at a piece's edge tips it.
const std::string kUtf8AtItsLimit = kUtf8Text.substr(0, 24) + "\xB0";

TEST(DetectEncoding, WeighsTheEvidence) {
    const DetectionCase cases[] = {
        {"Big5AfterALongAsciiTitle", std::string(76, 'T') + "\r\n" + kBig5Poem, TextEncoding::Big5},
        {"CommonBig5InGbSymbolRows", "\xA4\xA4\xA4\xE5\xA6r\xA4\xA3\xA8\xA3", TextEncoding::Big5},  // 中文字不見
        {"ShortGb18030", "\xD7\xAA\xBB\xBB\xB4\xED\xCE\xF3", TextEncoding::Gb18030},                // 转换错误
        {"OverlongOrSurrogateUtf8IsGb18030", "\xE0\x9F\xA1\xED\xA0\x80", TextEncoding::Gb18030},
        // Damaged pairs: 80 3C, as a converter left in a real word list, and 8F FE in place of 起.
        {"DamagedBig5", kBig5Poem + "\x80<" + kBig5Poem + "\x8F\xFE" + kBig5Poem, TextEncoding::Big5},
        {"Utf8CutInItsLastCharacter", kUtf8Text.substr(0, kUtf8Text.size() - 1), TextEncoding::Utf8},
        {"Utf8WithAStrayByte", kUtf8Text.substr(0, 9) + "\xB0" + kUtf8Text.substr(9), TextEncoding::Utf8},
        {"Utf8BrokenAtEveryCharacter", "\xE4\xB8 \xE4\xB8 \xE4\xB8 \xE4\xB8 \xE4\xB8\xAD", TextEncoding::Gb18030},
        {"Utf8AtItsBrokenLimit", kUtf8AtItsLimit, TextEncoding::Utf8},
        // Lines of Chinese man pages with one stray lead byte, out of step for a character or two: read
        // as Big5 they give common characters too, and lose by their malformed sequences' penalty, by
        // lacking the punctuation, or by their density of malformed sequences.
        {"StrayLeadAfter返", FromHex("b7b5bbd82030a1a30ab7b5a4bbd8b0fcbaacb3c98ca6b5c4"), TextEncoding::Gb18030},
        {"StrayLeadAfter（", FromHex("b5c4bde1b9fba1a3a3a8a4b5b1c8bba3acd5e2b2c5"), TextEncoding::Gb18030},
        {"StrayLeadAfter创", FromHex("b4b4a4bda8d5dfa3a9a1a30a44524f5020444154414241534520"), TextEncoding::Gb18030},
    };
    for (const DetectionCase& c : cases) {
        EXPECT_EQ(DetectEncoding(c.bytes).encoding, c.encoding) << c.name;
        for (std::size_t k = 0; k <= c.bytes.size(); ++k)
            EXPECT_EQ(DecidedInTwoPieces(c.bytes, k), c.encoding) << c.name << ", split at " << k;
    }
    // The same where a sequence crosses the end of the span the code pages are weighed on.
    const std::string pastSpan = std::string(kChoiceSpan - 11, 'T') + kUtf8AtItsLimit;
    for (std::size_t k = kChoiceSpan - 12; k <= pastSpan.size(); ++k)
        EXPECT_EQ(DecidedInTwoPieces(pastSpan, k), TextEncoding::Utf8) << "split at " << k;
}

}  // namespace
