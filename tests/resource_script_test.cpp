#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "strip_settings.h"

namespace {

// The label and identifier of a line `MENUITEM "label", ID_NAME`, with \t read as a tab.
std::pair<std::string, std::string> ParseMenuItem(const std::string& line) {
    const std::size_t open = line.find('"');
    const std::size_t close = line.rfind('"');
    std::string label = line.substr(open + 1, close - open - 1);
    for (std::size_t at; (at = label.find("\\t")) != std::string::npos;) label.replace(at, 2, "\t");
    std::istringstream rest(line.substr(line.find(',', close) + 1));
    std::string name;
    rest >> name;
    return {label, name};
}

// The popup menu in the resource script must list the command table's entries, in its order.
TEST(ResourceScript, MenuMatchesCommandTable) {
    std::ifstream script(SUNDROVALE_RESOURCE_SCRIPT, std::ios::binary);
    ASSERT_TRUE(script.is_open()) << SUNDROVALE_RESOURCE_SCRIPT;
    std::vector<std::pair<std::string, std::string>> menu;
    for (std::string line; std::getline(script, line);) {
        std::istringstream words(line);
        std::string first;
        if (words >> first && first == "MENUITEM") menu.push_back(ParseMenuItem(line));
    }
    std::vector<std::pair<std::string, std::string>> table;
    for (const Command& c : kCommands) table.emplace_back(c.label, c.name);
    EXPECT_EQ(menu, table);
}

}  // namespace
