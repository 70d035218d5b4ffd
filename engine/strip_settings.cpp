#include "strip_settings.h"

#include <algorithm>
#include <iterator>

StripSettings gSettings;

namespace {

struct Rung {
    std::int32_t width;
    std::int32_t segmentLength;
};

// 13 characters more for every 200 pixels of width.
constexpr Rung kWidthLadder[] = {{250, 13}, {450, 26}, {650, 39}, {850, 52}};

const Rung* FindRung(std::int32_t width) {
    const auto it = std::find_if(std::begin(kWidthLadder), std::end(kWidthLadder),
                                 [width](const Rung& r) { return r.width == width; });
    return it == std::end(kWidthLadder) ? nullptr : it;
}

#define COMMAND(id, label, effect) {id, #id, label, CommandEffect::effect}

}  // namespace

const Command kCommands[6] = {
    COMMAND(ID_OPEN_FILE, "打开文件...", OpenFile),
    COMMAND(ID_ALPHA_UP, "增加透明度(&q)", AlphaUp),
    COMMAND(ID_ALPHA_DOWN, "减小透明度(&a)", AlphaDown),
    COMMAND(ID_WIDTH_UP, "宽度增加", WidthUp),
    COMMAND(ID_WIDTH_DOWN, "宽度减小", WidthDown),
    COMMAND(ID_CLOSE, "关闭程序(&x)\tAlt+x", Close),
};

void AlphaUp(StripSettings& settings) {
    settings.alpha = static_cast<std::uint8_t>(std::min(settings.alpha + kAlphaStep, 255));
}

void AlphaDown(StripSettings& settings) {
    settings.alpha = static_cast<std::uint8_t>(std::max(settings.alpha - kAlphaStep, 50));
}

void WidthUp(StripSettings& settings) {
    const Rung* rung = FindRung(settings.width);
    if (rung && rung + 1 != std::end(kWidthLadder)) settings.width = rung[1].width;
}

void WidthDown(StripSettings& settings) {
    const Rung* rung = FindRung(settings.width);
    if (rung && rung != std::begin(kWidthLadder)) settings.width = rung[-1].width;
}

void SegmentLengthForWidth(StripSettings& settings) {
    if (const Rung* rung = FindRung(settings.width)) settings.segmentLength = rung->segmentLength;
}

std::int32_t ScaleToDpi(std::int32_t logical, std::int32_t dpi) {
    return (logical * dpi + kLogicalDpi / 2) / kLogicalDpi;
}

TimerAction TogglePause(StripSettings& settings) {
    settings.running = !settings.running;
    return settings.running ? TimerAction::Start : TimerAction::Stop;
}

const Command* LookupCommand(int id) {
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const Command& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : it;
}
