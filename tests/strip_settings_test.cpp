#include <gtest/gtest.h>

#include <utility>
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

// Each logical figure the strip scales: text origin, em, height, start position, the four widths.
TEST(ScaleToDpi, RoundsHalvesUpAtEachScale) {
    const std::vector<int> logical = {5, kTextEm, kStripHeight, kInitialX, 250, 450, 650, 850};
    const std::vector<std::pair<int, std::vector<int>>> table = {
        {96, {5, 16, 30, 100, 250, 450, 650, 850}},
        {120, {6, 20, 38, 125, 313, 563, 813, 1063}},
        {144, {8, 24, 45, 150, 375, 675, 975, 1275}},
        {168, {9, 28, 53, 175, 438, 788, 1138, 1488}},
        {192, {10, 32, 60, 200, 500, 900, 1300, 1700}},
        {240, {13, 40, 75, 250, 625, 1125, 1625, 2125}},
    };
    for (const auto& [dpi, expected] : table) {
        std::vector<int> scaled;
        for (int figure : logical) scaled.push_back(ScaleToDpi(figure, dpi));
        EXPECT_EQ(scaled, expected) << dpi << " DPI";
    }
}

}  // namespace
