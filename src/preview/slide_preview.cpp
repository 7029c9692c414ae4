#include "preview/slide_preview.h"

#include <cmath>

#include "text/markers.h"
#include "text/numbers.h"

namespace arlo::preview {
namespace {

void appendTwoDigits(std::string& out, long long part) {
    if (part < 10) {
        out += '0';
    }
    out += std::to_string(part);
}

}  // namespace

std::string timeText(long long seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const long long h = seconds / 3600;
    const long long m = (seconds - 3600 * h) / 60;
    const long long s = seconds - 3600 * h - 60 * m;
    std::string out;
    appendTwoDigits(out, h);
    out += ':';
    appendTwoDigits(out, m);
    out += ':';
    appendTwoDigits(out, s);
    return out;
}

std::string showPagePath(std::string_view code) {
    return "/show/" + std::string(code) + ".html";
}

std::string spriteSheetPath(std::string_view showId, int sheet) {
    return "/0/" + std::string(showId) + "_6_10x10_" + std::to_string(sheet) + "_720.jpg";
}

ShowInfo parseShowPage(std::string_view page) {
    ShowInfo info;
    info.showId = text::textBetween(page, "{\"id\":", ",");
    info.duration = text::parseInt(text::textBetween(page, "\"duration\":", ","));
    return info;
}

int expectedFrameCount(int durationSeconds) {
    return text::truncToInt(static_cast<double>(durationSeconds) / kSecondsPerFrame - 1);
}

bool previewSucceeded(std::size_t frameCount, int expected) {
    return expected > 0 && frameCount == static_cast<std::size_t>(expected);
}

Rect sheetCell(int sheetWidth, int sheetHeight, int column, int row) {
    const double cw = sheetWidth / static_cast<double>(kSheetColumns);
    const double ch = sheetHeight / static_cast<double>(kSheetRows);
    return {text::truncToInt(column * cw), text::truncToInt(row * ch), text::truncToInt(cw),
            text::truncToInt(ch)};
}

PopupGeometry popupGeometry(int sheetWidth, int sheetHeight, int sliderTop, int frameLeft,
                            int pointerHeight) {
    const double cw = sheetWidth / static_cast<double>(kSheetColumns);
    const double ch = sheetHeight / static_cast<double>(kSheetRows);
    PopupGeometry g;
    g.frame = {frameLeft, text::truncToInt(sliderTop - ch - 12), text::truncToInt(cw + 4),
               text::truncToInt(ch + 4)};
    g.picture = {2, 2, text::truncToInt(cw), text::truncToInt(ch)};
    g.pointer = {g.frame.left, g.frame.top + g.frame.height - 2, g.frame.width, pointerHeight};
    return g;
}

int frameAtCursor(int maximum, int sliderWidth, int sliderLeft, int cursorX) {
    // A slider of no width has no position to point at: the first frame.
    const double d = sliderWidth > 0 ? std::trunc(static_cast<double>(maximum) / sliderWidth *
                                                  (static_cast<double>(cursorX) - sliderLeft))
                                     : 0.0;
    if (!(d > 0)) {
        return 1;
    }
    return d > maximum ? maximum : static_cast<int>(d);
}

int popupLeft(int cursorX, int frameWidth) {
    return text::truncToInt(cursorX - frameWidth / 2.0 - 4);
}

}  // namespace arlo::preview
