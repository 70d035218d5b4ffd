#include <gtest/gtest.h>

#include <fstream>
#include <string>
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

// The popup menu in the resource script lists the command table's entries, in its order: each line
// `MENUITEM "label", ID_NAME`, with \t in the label read as a tab.
TEST(ResourceScript, MenuMatchesCommandTable) {
    std::ifstream script(SUNDROVALE_RESOURCE_SCRIPT, std::ios::binary);
    ASSERT_TRUE(script.is_open()) << SUNDROVALE_RESOURCE_SCRIPT;
    std::vector<std::string> menu, table;
    for (std::string line; std::getline(script, line);) {
        const std::size_t open = line.find('"'), close = line.rfind('"');
        if (line.find("MENUITEM") == std::string::npos || open == close) continue;
        std::string label = line.substr(open + 1, close - open - 1);
        if (const std::size_t tab = label.find("\\t"); tab != std::string::npos) label.replace(tab, 2, "\t");
        const std::size_t name = line.find_first_not_of(", ", close + 1);
        menu.push_back(label + "|" + line.substr(name, line.find_first_of(" \r", name) - name));
    }
    for (const Command& c : kCommands) table.push_back(std::string(c.label) + "|" + c.name);
    EXPECT_EQ(menu, table);
}

}  // namespace
