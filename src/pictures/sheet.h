#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "pictures/bmp.h"

// Sprite sheets: one picture holding 10 x 10 frames of a video, read row by row.
namespace arlo::pictures {

inline constexpr int kSheetColumns = 10;
inline constexpr int kSheetRows = 10;

// One frame as it is shown: width x height pixels (0xFFRRGGBB), row after row `stride` pixels
// apart. The pixels stay where they were decoded, in memory the frames cut from one sheet
// share and keep alive together; nothing is copied to cut a frame or to hand it on.
class Frame final {
public:
    Frame() = default;
    // A frame with pixels of its own.
    explicit Frame(Picture picture);
    // The rectangle of a decoded picture held by `storage` whose top-left pixel is `first`.
    Frame(std::shared_ptr<const void> storage, const std::uint32_t* first, int width, int height,
          std::ptrdiff_t stride);

    int width() const { return width_; }
    int height() const { return height_; }
    std::ptrdiff_t stride() const { return stride_; }
    bool empty() const { return first_ == nullptr; }
    // Row y (0 at the top) of a frame that is not empty.
    const std::uint32_t* row(int y) const { return first_ + y * stride_; }

    // Equal in size and pixels, wherever they are stored.
    friend bool operator==(const Frame& a, const Frame& b);
    friend bool operator==(const Frame& a, const Picture& b);

private:
    std::shared_ptr<const void> storage_;
    const std::uint32_t* first_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::ptrdiff_t stride_ = 0;
};

// The sheets' documented size: 10 x 10 cells of 160 x 90 pixels.
inline constexpr long long kDocumentedSheetWidth = 1600;
inline constexpr long long kDocumentedSheetHeight = 900;
// The largest sheet that is cut: four times the documented pixels (3200 x 1800, say). The
// bytes come from the network, and a small JPEG can state a huge picture.
inline constexpr long long kMaxSheetPixels = 4 * kDocumentedSheetWidth * kDocumentedSheetHeight;
// The most frame pixels one load keeps: ten documented sheets need 14.4 million.
inline constexpr long long kMaxLoadFramePixels = 16'000'000;

// Whether a sheet of this pixel size is cut at all: not empty and at most kMaxSheetPixels.
bool sheetSizeAccepted(long long width, long long height);

// Whether the frames that cutting a sheet of this pixel size would add to `frames` (up to
// `wanted` entries, at least one) keep the pixels of all of them within kMaxLoadFramePixels.
bool sheetFramesFit(const std::vector<Frame>& frames, long wanted, long long width,
                    long long height);

// The pixel size of a sprite sheet that was cut, and whether frames are still wanted.
struct SheetCut {
    int width = 0;
    int height = 0;
    bool moreWanted = true;
};

// Cuts a sprite sheet that is a BMP file into its frames: appends, row by row, the pixels
// of what cropBmp cuts at each cell (an empty picture where cropBmp cuts nothing), and stops
// as soon as `frames` holds `wanted` entries. False, with `frames` untouched, when the sheet
// states no size, a size sheetSizeAccepted refuses, or frames that sheetFramesFit refuses.
bool cutBmpSheet(std::string_view sheet, long wanted, std::vector<Frame>& frames, SheetCut& cut);

}  // namespace arlo::pictures
