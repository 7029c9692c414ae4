#include "pictures/qt/sprite_sheet.h"

#include <QImage>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>

#include "pictures/qt/image_convert.h"
#include "text/numbers.h"

namespace arlo::pictures {
namespace {

// Frames of one load at most: ten sheets, and no more pixels than one load may keep.
constexpr std::size_t kSpareFrames = 10 * kSheetRows * kSheetColumns;
constexpr std::size_t kSparePixels = kMaxLoadFramePixels;

// Frames handed back by recycleFrames, and the pixels their memory holds.
std::mutex spareMutex;
std::vector<Picture> spareFrames;
std::size_t sparePixels = 0;

std::vector<Picture> takeSpareFrames() {
    std::lock_guard lock(spareMutex);
    sparePixels = 0;
    return std::exchange(spareFrames, {});
}

// The rectangle's pixels, copied row by row out of a 32-bit RGB sheet.
Picture cell(const QImage& sheet, int left, int top, int width, int height,
             std::vector<Picture>& spares) {
    Picture out;
    if (!spares.empty()) {
        out = std::move(spares.back());
        spares.pop_back();
    }
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    static_assert(sizeof(QRgb) == sizeof(std::uint32_t));
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(sheet.constScanLine(top + y)) + left;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * width;
        // A BMP has no alpha for these pixels: they are shown opaque.
        for (int x = 0; x < width; ++x) {
            dst[x] = src[x] | 0xFF000000u;
        }
    }
    return out;
}

}  // namespace

bool cutSpriteSheet(const std::string& sheet, long wanted, std::vector<Picture>& frames,
                    SheetCut& cut) {
    const QByteArray bytes =
        QByteArray::fromRawData(sheet.data(), static_cast<qsizetype>(sheet.size()));
    // The sheets of a load are alike in size and format: each thread decodes into the same
    // pixels, instead of having fresh megabytes mapped and cleared for every sheet.
    thread_local QImage image;
    if (!decodePictureInto(bytes, image, kMaxSheetPixels)) {
        return false;
    }
    if (image.hasAlphaChannel()) {
        // Pictures with transparency become 32-bit BMPs, which decide how each pixel is
        // shown; rare for sheets, so they take the long way.
        QByteArray bmp;
        return convertImage(bytes, kFormatBmp, bmp) &&
               cutBmpSheet(std::string_view(bmp.constData(), static_cast<std::size_t>(bmp.size())),
                           wanted, frames, cut);
    }
    if (image.format() != QImage::Format_RGB32) {
        image.convertTo(QImage::Format_RGB32);
    }
    if (!sheetSizeAccepted(image.width(), image.height()) ||
        !sheetFramesFit(frames, wanted, image.width(), image.height())) {
        image = QImage();
        return false;
    }
    cut.width = image.width();
    cut.height = image.height();
    const double cellWidth = cut.width / 10.0, cellHeight = cut.height / 10.0;
    const int width = text::truncToInt(cellWidth), height = text::truncToInt(cellHeight);
    std::vector<Picture> spares = takeSpareFrames();
    for (int row = 0; row < kSheetRows; ++row) {
        for (int column = 0; column < kSheetColumns; ++column) {
            // A sheet narrower or lower than 10 pixels has empty cells, as cropBmp would.
            frames.push_back(width >= 1 && height >= 1
                                 ? cell(image, text::truncToInt(column * cellWidth),
                                        text::truncToInt(row * cellHeight), width, height, spares)
                                 : Picture());
            if (static_cast<long>(frames.size()) >= wanted) {
                cut.moreWanted = false;
                recycleFrames(std::move(spares));
                return true;
            }
        }
    }
    cut.moreWanted = true;
    recycleFrames(std::move(spares));
    return true;
}

void recycleFrames(std::vector<Picture>&& frames) {
    std::lock_guard lock(spareMutex);
    for (Picture& frame : frames) {
        const std::size_t pixels = frame.pixels.capacity();
        if (spareFrames.size() >= kSpareFrames || sparePixels + pixels > kSparePixels) {
            break;
        }
        if (!frame.empty()) {  // an empty frame has no memory worth keeping
            sparePixels += pixels;
            spareFrames.push_back(std::move(frame));
        }
    }
    frames.clear();
}

}  // namespace arlo::pictures
