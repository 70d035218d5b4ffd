#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "strip_settings.h"

namespace {

// The popup menu in the resource script must list the command table's entries, in its order.
TEST(ResourceScript, MenuMatchesCommandTable) {
    std::ifstream script(SUNDROVALE_RESOURCE_SCRIPT, std::ios::binary);
    ASSERT_TRUE(script.is_open()) << SUNDROVALE_RESOURCE_SCRIPT;
    const std::regex item(R"re(^\s*MENUITEM\s+"((?:[^"\\]|\\.)*)"\s*,\s*(\w+))re");
    std::vector<std::pair<std::string, std::string>> menu;
    std::string line;
    std::smatch match;
    while (std::getline(script, line)) {
        if (!std::regex_search(line, match, item)) continue;
        std::string label = std::regex_replace(match[1].str(), std::regex(R"(\\t)"), "\t");
        menu.emplace_back(label, match[2].str());
    }
    std::vector<std::pair<std::string, std::string>> table;
    for (const Command& c : kCommands) table.emplace_back(c.label, c.name);
    EXPECT_EQ(menu, table);
}

}  // namespace
