#include "pictures/sheet.h"

#include <algorithm>
#include <string>

namespace arlo::pictures {

bool sheetSizeAccepted(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxSheetPixels && height <= kMaxSheetPixels &&
           width * height <= kMaxSheetPixels;
}

bool sheetFramesFit(const std::vector<Picture>& frames, long wanted, long long width,
                    long long height) {
    long long held = 0;
    for (const Picture& frame : frames) {
        held += static_cast<long long>(frame.pixels.size());
    }
    const long long room = static_cast<long long>(wanted) - static_cast<long long>(frames.size());
    const long long added = std::clamp(room, 1LL, 1LL * kSheetRows * kSheetColumns);
    const long long cell = (width / kSheetColumns) * (height / kSheetRows);
    return held + added * cell <= kMaxLoadFramePixels;
}

bool cutBmpSheet(std::string_view sheet, long wanted, std::vector<Picture>& frames, SheetCut& cut) {
    cut.width = bmpWidth(sheet);
    cut.height = bmpHeight(sheet);
    if (!sheetSizeAccepted(cut.width, cut.height) ||
        !sheetFramesFit(frames, wanted, cut.width, cut.height)) {
        return false;
    }
    std::vector<std::string> cells;
    cut.moreWanted = appendSheetFrames(sheet, wanted - static_cast<long>(frames.size()), cells);
    for (const std::string& cell : cells) {
        frames.push_back(decodeBmp(cell));
    }
    return true;
}

}  // namespace arlo::pictures
