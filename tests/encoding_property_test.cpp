#include <gtest/gtest.h>

#include "encoding_detection.h"
#include "sample_texts.h"

namespace {

enum class Where { Start, FirstCharacter, Middle, LastCharacter, ThousandCharactersIn, End };

// Where a change goes; the characters beyond ASCII, since changes to those do the harm.
std::size_t At(const SampleText& text, Where where) {
    const auto wide = [&text](std::size_t i, bool forward) {
        while (static_cast<unsigned char>(text.bytes[text.starts[i]]) < 0x80) forward ? ++i : --i;
        return text.starts[i];
    };
    switch (where) {
    case Where::Start: return 0;
    case Where::FirstCharacter: return wide(0, true);
    case Where::Middle: return wide(text.starts.size() / 2, true);
    case Where::LastCharacter: return wide(text.starts.size() - 1, false);
    case Where::ThousandCharactersIn: return text.starts[kIntactCharacters];
    case Where::End: break;
    }
    return text.bytes.size();
}

struct Change {
    const char* name;
    Edit edit;
    Where where;
    std::size_t offset;  // bytes past where
    char byte;
};

// A stray, lost or damaged byte, or a cut end, leaves a real text in the encoding it was written in.
TEST(DetectEncoding, KeepsTheEncodingOfATextWithOneChange) {
    const Change kChanges[] = {
        {"Intact", Edit::Cut, Where::End, 0, 0},
        {"LeadInsertedAtStart", Edit::Insert, Where::Start, 0, '\xA4'},
        {"LeadInsertedInMiddle", Edit::Insert, Where::Middle, 0, '\xA4'},
        {"LeadInsertedBeforeLastCharacter", Edit::Insert, Where::LastCharacter, 0, '\xA4'},
        {"TrailInsertedInMiddle", Edit::Insert, Where::Middle, 1, '\xA4'},
        {"x80Inserted", Edit::Insert, Where::Middle, 0, '\x80'},
        {"xFFInserted", Edit::Insert, Where::Middle, 0, '\xFF'},
        {"FirstCharacterLosesLead", Edit::Delete, Where::FirstCharacter, 0, 0},
        {"LeadBecomesAscii", Edit::Replace, Where::Middle, 0, 'x'},
        {"CutInsideLastCharacter", Edit::Cut, Where::LastCharacter, 1, 0},
        {"CutThousandCharactersIn", Edit::Cut, Where::ThousandCharactersIn, 0, 0},
    };
    for (const SampleText& text : SampleTexts()) {
        for (const Change& c : kChanges) {
            SCOPED_TRACE(text.name + ", " + c.name);
            const std::string changed = Changed(text.bytes, c.edit, At(text, c.where) + c.offset, c.byte);
            EXPECT_EQ(Info(DetectEncoding(changed).encoding).name, std::string(Info(text.encoding).name));
        }
    }
}

}  // namespace
