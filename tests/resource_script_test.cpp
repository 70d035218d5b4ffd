#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "strip_settings.h"

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
