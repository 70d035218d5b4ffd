#include <gtest/gtest.h>

#include <climits>

#include "encoding_detection.h"
#include "sample_texts.h"

namespace {

// Where a change goes: the start of a character, counted from the end when negative, or the middle
// one. Every text's first, middle and last but one (before its last line end) are beyond ASCII,
// since changes to those do the harm.
constexpr int kMiddle = INT_MIN;

struct Change {
    const char* name;
    Edit edit;
    int character;
    std::size_t offset;  // bytes past its start
    char byte;
};

// A stray, lost or damaged byte, or a cut end, leaves a real text in the encoding it was written in.
TEST(DetectEncoding, KeepsTheEncodingOfATextWithOneChange) {
    const Change kChanges[] = {
        {"Intact", Edit::Cut, -1, 1, 0},  // cut just past the last line end
        {"LeadInsertedAtStart", Edit::Insert, 0, 0, '\xA4'},
        {"LeadInsertedInMiddle", Edit::Insert, kMiddle, 0, '\xA4'},
        {"LeadInsertedBeforeLastCharacter", Edit::Insert, -2, 0, '\xA4'},
        {"TrailInsertedInMiddle", Edit::Insert, kMiddle, 1, '\xA4'},
        {"x80Inserted", Edit::Insert, kMiddle, 0, '\x80'},
        {"xFFInserted", Edit::Insert, kMiddle, 0, '\xFF'},
        {"FirstCharacterLosesLead", Edit::Delete, 0, 0, 0},
        {"LeadBecomesAscii", Edit::Replace, kMiddle, 0, 'x'},
        {"CutInsideLastCharacter", Edit::Cut, -2, 1, 0},
        {"CutThousandCharactersIn", Edit::Cut, kIntactCharacters, 0, 0},
    };
    for (const SampleText& text : SampleTexts()) {
        const std::size_t n = text.starts.size();
        for (const Change& c : kChanges) {
            SCOPED_TRACE(text.name + ", " + c.name);
            const std::size_t at = text.starts[c.character == kMiddle ? n / 2 : c.character < 0 ? n + c.character : c.character];
            const std::string changed = Changed(text.bytes, c.edit, at + c.offset, c.byte);
            EXPECT_EQ(Info(DetectEncoding(changed).encoding).name, std::string(Info(text.encoding).name));
        }
    }
}

}  // namespace
