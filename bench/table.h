#pragma once
// One row of the benchmark table, printed by each measuring program in the same shape.
#include <cstdarg>
#include <cstdio>
#include <string>

namespace table {

inline std::string Format(const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Rows start with "|" so that scripts/bench can gather them from each program's output.
inline void Row(const std::string& figure, const std::string& value, const std::string& goal, bool met) {
    std::printf("| %-40s | %14s | %8s | %-6s |\n", figure.c_str(), value.c_str(), goal.c_str(),
                goal.empty() ? "" : met ? "met" : "MISSED");
}

}  // namespace table
