#include "pictures/sheet.h"

#include <algorithm>
#include <string>

namespace arlo::pictures {

Frame::Frame(Picture picture) {
    if (picture.empty()) {
        return;
    }
    auto owned = std::make_shared<const Picture>(std::move(picture));
    first_ = owned->pixels.data();
    width_ = owned->width;
    height_ = owned->height;
    stride_ = owned->width;
    storage_ = std::move(owned);
}

Frame::Frame(std::shared_ptr<const void> storage, const std::uint32_t* first, int width, int height,
             std::ptrdiff_t stride)
    : storage_(std::move(storage)), first_(first), width_(width), height_(height), stride_(stride) {
    if (width_ < 1 || height_ < 1) {
        *this = Frame();
    }
}

bool operator==(const Frame& a, const Frame& b) {
    if (a.width_ != b.width_ || a.height_ != b.height_ || a.empty() != b.empty()) {
        return false;
    }
    for (int y = 0; y < a.height_ && !a.empty(); ++y) {
        if (!std::equal(a.row(y), a.row(y) + a.width_, b.row(y))) {
            return false;
        }
    }
    return true;
}

bool operator==(const Frame& a, const Picture& b) {
    return a == Frame(b);
}

bool cutBmpSheet(std::string_view sheet, long wanted, std::vector<Frame>& frames, SheetCut& cut) {
    cut.width = bmpWidth(sheet);
    cut.height = bmpHeight(sheet);
    if (cut.width <= 0 || cut.height <= 0) {
        return false;
    }
    std::vector<std::string> cells;
    cut.moreWanted = appendSheetFrames(sheet, wanted - static_cast<long>(frames.size()), cells);
    for (const std::string& cell : cells) {
        frames.emplace_back(decodeBmp(cell));
    }
    return true;
}

}  // namespace arlo::pictures
