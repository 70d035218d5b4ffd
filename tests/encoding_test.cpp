#include <gtest/gtest.h>

#include <string>

#include "encoding_detection.h"
#include "index_big5.h"
#include "index_gb18030.h"

namespace {

using namespace std::string_literals;

// The bytes decoded whole; fuzz_loader proves the decoders in pieces against this, at every kind of edge.
WideString Decode(TextEncoding encoding, std::string_view bytes) {
    WideString units(bytes.size() + 1, WideChar{});
    units.resize(DecodeWhole(encoding, bytes, &units[0]));
    return units;
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

struct DecodeCase { const char* name; TextEncoding encoding; std::string bytes; std::u16string units; };

// Each sequence that is no character becomes one U+FFFD, and the bytes after it are read again as
// the Encoding Standard says.
TEST(Decoders, ReadSequencesAsTheStandardSays) {
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

struct DetectionCase { const char* name; std::string bytes; TextEncoding encoding; };

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
        {"Utf8BrokenAtEveryCharacter", "\xE4\xB8 \xE4\xB8 \xE4\xB8 \xE4\xB8 \xE4\xB8\xAD", TextEncoding::Gb18030},
        {"Utf8AtItsLimitAndCutInItsLastCharacter", kUtf8AtItsLimit + kUtf8Text.substr(24, 2), TextEncoding::Utf8},
        // Lines of Chinese man pages with one stray lead byte, out of step for a character or two: read
        // as Big5 they give common characters too, and lose by their malformed sequences' penalty, by
        // lacking the punctuation, or by their density of malformed sequences.
        {"StrayLeadAfter返", "\xB7\xB5\xBB\xD8 0\xA1\xA3\n\xB7\xB5\xA4\xBB\xD8\xB0\xFC\xBA\xAC\xB3\xC9\x8C\xA6\xB5\xC4", TextEncoding::Gb18030},
        {"StrayLeadAfter（", "\xB5\xC4\xBD\xE1\xB9\xFB\xA1\xA3\xA3\xA8\xA4\xB5\xB1\xC8\xBB\xA3\xAC\xD5\xE2\xB2\xC5", TextEncoding::Gb18030},
        {"StrayLeadAfter创", "\xB4\xB4\xA4\xBD\xA8\xD5\xDF\xA3\xA9\xA1\xA3\nDROP DATABASE ", TextEncoding::Gb18030},
    };
    for (const DetectionCase& c : cases) EXPECT_EQ(DetectEncoding(c.bytes).encoding, c.encoding) << c.name;
    // Fed in two pieces where a sequence crosses the end of the span the code pages are weighed on,
    // which no fuzzer's input reaches.
    const std::string bytes = std::string(kChoiceSpan - 11, 'T') + kUtf8AtItsLimit;
    for (std::size_t k = kChoiceSpan - 12; k <= bytes.size(); ++k) {
        EncodingDetector detector;
        Feed(detector, std::string_view(bytes).substr(0, k), false);
        if (!detector.decided) Feed(detector, std::string_view(bytes).substr(k), true);
        EXPECT_EQ(detector.result.encoding, TextEncoding::Utf8) << "split at " << k;
    }
}

}  // namespace
