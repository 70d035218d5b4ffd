#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "strip_settings.h"

namespace {

// Each command applied n times, as the window applies it: the field it moves (alpha, or width and
// piece length as width * 100 + length) stops at its ladder's end.
TEST(StripSettings, LaddersStopAtTheirEnds) {
    StripSettings s;
    const auto ladder = [&s](void (*command)(StripSettings&), int n) {
        std::vector<int> seen;
        for (int i = 0; i < n; ++i) {
            command(s);
            SegmentLengthForWidth(s);
            seen.push_back(command == AlphaUp || command == AlphaDown ? s.alpha : s.width * 100 + s.segmentLength);
        }
        return seen;
    };
    EXPECT_EQ(ladder(AlphaUp, 5), (std::vector<int>{150, 200, 250, 255, 255}));
    EXPECT_EQ(ladder(AlphaDown, 6), (std::vector<int>{205, 155, 105, 55, 50, 50}));
    EXPECT_EQ(ladder(WidthUp, 4), (std::vector<int>{45026, 65039, 85052, 85052}));
    EXPECT_EQ(ladder(WidthDown, 4), (std::vector<int>{65039, 45026, 25013, 25013}));
}

// Each logical figure the strip scales (text origin, em, height, start position, the four widths) at
// 100, 125 and 150 %; the two larger have halves, which round up.
TEST(ScaleToDpi, RoundsHalvesUp) {
    const std::vector<int> logical = {5, kTextEm, kStripHeight, kInitialX, 250, 450, 650, 850};
    const std::vector<std::pair<int, std::vector<int>>> table = {
        {96, {5, 16, 30, 100, 250, 450, 650, 850}},
        {120, {6, 20, 38, 125, 313, 563, 813, 1063}},
        {144, {8, 24, 45, 150, 375, 675, 975, 1275}},
    };
    for (const auto& [dpi, expected] : table) {
        std::vector<int> scaled;
        for (int figure : logical) scaled.push_back(ScaleToDpi(figure, dpi));
        EXPECT_EQ(scaled, expected) << dpi << " DPI";
    }
}

}  // namespace
