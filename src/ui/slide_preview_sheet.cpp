#include "ui/slide_preview_sheet.h"

#include <QImage>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>

#include "text/numbers.h"
#include "ui/image_convert.h"
#include "ui/preview/bmp.h"
#include "ui/preview/slide_preview.h"

namespace arlo::ui {
namespace {

// Frames handed back by recycleFrames, at most as many as one load cuts.
std::mutex spareMutex;
std::vector<std::string> spareFrames;

std::vector<std::string> takeSpareFrames() {
    std::lock_guard lock(spareMutex);
    return std::exchange(spareFrames, {});
}

// A 24-bit bottom-up BMP of the rectangle, laid out as cropBmp lays out its result. Rows are
// put together in a small buffer and appended, so the frame is written once, not cleared first.
std::string frameBmp(const QImage& sheet, int left, int top, int width, int height,
                     std::vector<char>& rowBuffer, std::vector<std::string>& spares) {
    const std::size_t row = static_cast<std::size_t>(((width * 24 + 31) >> 5) << 2);
    const std::size_t size = 54 + row * static_cast<std::size_t>(height);
    std::string out;
    if (!spares.empty()) {
        out = std::move(spares.back());
        spares.pop_back();
        out.clear();
    }
    out.reserve(size);
    out.resize(54);
    preview::writeBmpHeaders(out.data(), static_cast<std::uint32_t>(size), 54, width, height, 24,
                             0);
    // The padding at the end of each row stays zero: pixels never reach it.
    rowBuffer.assign(row, '\0');
    char* dst = rowBuffer.data();
    for (int i = 0; i < height; ++i) {
        const auto* src =
            reinterpret_cast<const QRgb*>(sheet.constScanLine(top + height - 1 - i)) + left;
        // A pixel in memory is B, G, R, A on little-endian machines: its first three bytes
        // are the BMP's. Each pixel is written whole and the next one overwrites its A.
        static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
        for (int x = 0; x + 1 < width; ++x) {
            std::memcpy(dst + 3 * x, src + x, 4);
        }
        std::memcpy(dst + 3 * (width - 1), src + width - 1, 3);
        out.append(dst, row);
    }
    return out;
}

}  // namespace

bool cutSpriteSheet(const std::string& sheet, long wanted, std::vector<std::string>& frames,
                    preview::SheetCut& cut) {
    const QByteArray bytes =
        QByteArray::fromRawData(sheet.data(), static_cast<qsizetype>(sheet.size()));
    // The sheets of a load are alike in size and format: each thread decodes into the same
    // pixels, instead of having fresh megabytes mapped and cleared for every sheet.
    thread_local QImage image;
    if (!decodePictureInto(bytes, image)) {
        return false;
    }
    if (image.hasAlphaChannel()) {
        // Pictures with transparency become 32-bit BMPs; rare for sheets, so they take the
        // long way.
        QByteArray bmp;
        return convertImage(bytes, kFormatBmp, bmp) &&
               preview::cutBmpSheet(bmp.toStdString(), wanted, frames, cut);
    }
    if (image.format() != QImage::Format_RGB32) {
        image.convertTo(QImage::Format_RGB32);
    }
    cut.width = image.width();
    cut.height = image.height();
    const double cellWidth = cut.width / 10.0, cellHeight = cut.height / 10.0;
    const int width = text::truncToInt(cellWidth), height = text::truncToInt(cellHeight);
    std::vector<char> rowBuffer;
    std::vector<std::string> spares = takeSpareFrames();
    for (int row = 0; row < preview::kSheetRows; ++row) {
        for (int column = 0; column < preview::kSheetColumns; ++column) {
            // A sheet narrower or lower than 10 pixels has empty cells, as cropBmp would.
            frames.push_back(width >= 1 && height >= 1
                                 ? frameBmp(image, text::truncToInt(column * cellWidth),
                                            text::truncToInt(row * cellHeight), width, height,
                                            rowBuffer, spares)
                                 : std::string());
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

void recycleFrames(std::vector<std::string>&& frames) {
    std::lock_guard lock(spareMutex);
    // Bounded by what one load cuts, so memory is kept only for the next load.
    const std::size_t room = static_cast<std::size_t>(preview::kMaxSheets * preview::kSheetRows *
                                                      preview::kSheetColumns);
    for (std::string& frame : frames) {
        if (spareFrames.size() >= room) {
            break;
        }
        if (!frame.empty()) {  // an empty frame has no memory worth keeping
            spareFrames.push_back(std::move(frame));
        }
    }
    frames.clear();
}

}  // namespace arlo::ui
