#include "pictures/sheet.h"

#include <string>

namespace arlo::pictures {

bool cutBmpSheet(std::string_view sheet, long wanted, std::vector<Picture>& frames, SheetCut& cut) {
    cut.width = bmpWidth(sheet);
    cut.height = bmpHeight(sheet);
    if (cut.width <= 0 || cut.height <= 0) {
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
