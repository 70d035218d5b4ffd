#include <gtest/gtest.h>

#include <vector>

#include "strip_settings.h"

namespace {

TEST(Alpha, LaddersStopAtTheirEnds) {
    StripSettings s;
    std::vector<int> up;
    for (int i = 0; i < 5; ++i) {
        AlphaUp(s);
        up.push_back(s.alpha);
    }
    EXPECT_EQ(up, (std::vector<int>{150, 200, 250, 255, 255}));
    std::vector<int> down;
    for (int i = 0; i < 6; ++i) {
        AlphaDown(s);
        down.push_back(s.alpha);
    }
    EXPECT_EQ(down, (std::vector<int>{205, 155, 105, 55, 50, 50}));

    StripSettings fresh;
    AlphaDown(fresh);
    EXPECT_EQ(fresh.alpha, 50);
}

TEST(Width, LadderAndSegmentLengthFollow) {
    StripSettings s;
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < 4; ++i) {
        WidthUp(s);
        EXPECT_EQ(s.segmentLength, i == 0 ? 13 : seen.back().second) << "length changes only when applied";
        SegmentLengthForWidth(s);
        seen.emplace_back(s.width, s.segmentLength);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{450, 26}, {650, 39}, {850, 52}, {850, 52}}));
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        WidthDown(s);
        SegmentLengthForWidth(s);
        seen.emplace_back(s.width, s.segmentLength);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{650, 39}, {450, 26}, {250, 13}, {250, 13}}));
}

TEST(Width, OffLadderWidthChangesNothing) {
    StripSettings s;
    s.width = 300;
    s.segmentLength = 17;
    WidthUp(s);
    WidthDown(s);
    SegmentLengthForWidth(s);
    EXPECT_EQ(s.width, 300);
    EXPECT_EQ(s.segmentLength, 17);
}

TEST(TogglePause, StopsThenStarts) {
    StripSettings s;
    EXPECT_EQ(TogglePause(s), TimerAction::Stop);
    EXPECT_FALSE(s.running);
    EXPECT_EQ(TogglePause(s), TimerAction::Start);
    EXPECT_TRUE(s.running);
}

TEST(Commands, LookupFindsOnlyTableEntries) {
    for (const Command& c : kCommands) EXPECT_EQ(LookupCommand(c.id), &c);
    for (int id : {ID_ABOUT_KEY, 0, -1, 32770, 32777, 65535}) EXPECT_EQ(LookupCommand(id), nullptr) << id;
}

}  // namespace
