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

bool sheetSizeAccepted(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxSheetPixels && height <= kMaxSheetPixels &&
           width * height <= kMaxSheetPixels;
}

bool sheetFramesFit(const std::vector<Frame>& frames, long wanted, long long width,
                    long long height) {
    long long held = 0;
    for (const Frame& frame : frames) {
        held += 1LL * frame.width() * frame.height();
    }
    const long long room = static_cast<long long>(wanted) - static_cast<long long>(frames.size());
    const long long added = std::clamp(room, 1LL, 1LL * kSheetRows * kSheetColumns);
    const long long cell = (width / kSheetColumns) * (height / kSheetRows);
    return held + added * cell <= kMaxLoadFramePixels;
}

bool cutBmpSheet(std::string_view sheet, long wanted, std::vector<Frame>& frames, SheetCut& cut) {
    cut.width = bmpWidth(sheet);
    cut.height = bmpHeight(sheet);
    if (!sheetSizeAccepted(cut.width, cut.height) ||
        !sheetFramesFit(frames, wanted, cut.width, cut.height)) {
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
