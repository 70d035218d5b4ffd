#pragma once
#include <cstdint>

#include "command_ids.h"

struct StripSettings {
    std::uint8_t alpha = 100;        // opacity of the whole strip, 255 fully opaque
    bool running = true;             // whether the advance timer runs (false while paused)
    std::int32_t width = 250;        // pixels, one of the width ladder's rungs
    std::int32_t segmentLength = 13; // characters per piece, following the width
};

// The one set of settings, from start to exit; nothing is saved.
extern StripSettings gSettings;

constexpr unsigned IDT_ADVANCE = 1;
constexpr unsigned ADVANCE_INTERVAL_MS = 4500;
constexpr int kStripHeight = 30;
constexpr int kInitialX = 100;
constexpr int kInitialY = 100;
constexpr int kTextOriginX = 5;
constexpr int kTextOriginY = 5;
constexpr int kAlphaStep = 50;
// The figures above are logical pixels, as at 96 DPI; the strip draws them scaled for its monitor.
constexpr int kLogicalDpi = 96;
// The em of the strip's text where it selects a font: the width of the default font's Chinese
// characters at 96 DPI, so that 13 of them still fit in 250 pixels.
constexpr int kTextEm = 16;

// A logical figure (not negative) in pixels at dpi, to the nearest pixel, halves up, as MulDiv rounds.
std::int32_t ScaleToDpi(std::int32_t logical, std::int32_t dpi);

void AlphaUp(StripSettings& settings);
void AlphaDown(StripSettings& settings);
void WidthUp(StripSettings& settings);
void WidthDown(StripSettings& settings);
void SegmentLengthForWidth(StripSettings& settings);

enum class TimerAction { Stop, Start };

// Flips the running flag; the caller stops or starts the advance timer as told.
TimerAction TogglePause(StripSettings& settings);

enum class CommandEffect { OpenFile, AlphaUp, AlphaDown, WidthUp, WidthDown, Close };

struct Command {
    int id;
    const char* name;   // the identifier's name, as the resource script spells it
    const char* label;  // the menu text, UTF-8, "&" before the access key
    CommandEffect effect;
};

// The popup menu's commands, in menu order.
extern const Command kCommands[6];

// The command an identifier stands for, or nullptr for one outside the table.
const Command* LookupCommand(int id);
