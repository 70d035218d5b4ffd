#include <gtest/gtest.h>

#include <vector>

#include "strip_settings.h"

namespace {

// Applies a command n times and records the field it moves, as the window would see it.
template <typename Field>
std::vector<int> Ladder(StripSettings& s, void (*command)(StripSettings&), int n, Field field) {
    std::vector<int> seen;
    for (int i = 0; i < n; ++i) {
        command(s);
        SegmentLengthForWidth(s);
        seen.push_back(field(s));
    }
    return seen;
}

TEST(StripSettings, LaddersStopAtTheirEnds) {
    StripSettings s;
    const auto alpha = [](const StripSettings& x) { return int{x.alpha}; };
    const auto widthAndLength = [](const StripSettings& x) { return x.width * 100 + x.segmentLength; };
    EXPECT_EQ(Ladder(s, AlphaUp, 5, alpha), (std::vector<int>{150, 200, 250, 255, 255}));
    EXPECT_EQ(Ladder(s, AlphaDown, 6, alpha), (std::vector<int>{205, 155, 105, 55, 50, 50}));
    EXPECT_EQ(Ladder(s, WidthUp, 4, widthAndLength), (std::vector<int>{45026, 65039, 85052, 85052}));
    EXPECT_EQ(Ladder(s, WidthDown, 4, widthAndLength), (std::vector<int>{65039, 45026, 25013, 25013}));
}

TEST(StripSettings, TogglePauseStopsThenStarts) {
    StripSettings s;
    EXPECT_EQ(TogglePause(s), TimerAction::Stop);
    EXPECT_EQ(TogglePause(s), TimerAction::Start);
    EXPECT_TRUE(s.running);
}

}  // namespace
