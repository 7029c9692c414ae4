#include "pictures/qt/sprite_sheet.h"

#include <sys/mman.h>
#include <unistd.h>

#include <QImage>
#include <QImageReader>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "pictures/qt/image_convert.h"
#include "text/numbers.h"

namespace arlo::pictures {
namespace {

// Sheets of one load at most, and no more bytes than the pixels one load may keep.
constexpr std::size_t kMaxSpareSheets = 10;
constexpr std::size_t kMaxSpareBytes = kMaxLoadFramePixels * 4;

std::size_t pageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// Pages mapped for one decoded sheet. A sheet's megabytes are mapped from the system directly
// rather than taken from the heap, so that giving them back really returns them: a long run of
// previews leaves no heap behind that only grows.
struct Mapping {
    void* base = nullptr;
    std::size_t length = 0;
};

std::mutex spareMutex;
std::vector<Mapping> spareMappings;  // oldest first
int keepers = 0;                     // KeepSpareSheets alive

void giveBackPages(void* from, std::size_t length) {
    if (length > 0) {
        // Anonymous private pages: freed at once, and read as zero when touched again.
        madvise(from, length, MADV_DONTNEED);
    }
}

Mapping takeMapping(std::size_t length) {
    {
        std::lock_guard lock(spareMutex);
        // The smallest that is large enough; what the sheet leaves unused goes back with
        // the rows no frame shows.
        auto best = spareMappings.end();
        for (auto it = spareMappings.begin(); it != spareMappings.end(); ++it) {
            if (it->length >= length &&
                (best == spareMappings.end() || it->length < best->length)) {
                best = it;
            }
        }
        if (best != spareMappings.end()) {
            const Mapping found = *best;
            spareMappings.erase(best);
            return found;
        }
    }
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return base == MAP_FAILED ? Mapping() : Mapping{base, length};
}

void releaseMapping(Mapping mapping) {
    std::lock_guard lock(spareMutex);
    if (keepers == 0) {
        giveBackPages(mapping.base, mapping.length);
    }
    if (mapping.length > kMaxSpareBytes) {
        munmap(mapping.base, mapping.length);
        return;
    }
    std::size_t kept = mapping.length;
    for (const Mapping& spare : spareMappings) {
        kept += spare.length;
    }
    while (!spareMappings.empty() &&
           (spareMappings.size() >= kMaxSpareSheets || kept > kMaxSpareBytes)) {
        kept -= spareMappings.front().length;
        munmap(spareMappings.front().base, spareMappings.front().length);
        spareMappings.erase(spareMappings.begin());
    }
    spareMappings.push_back(mapping);
}

// The decoded pixels of one sheet, shared by the frames cut from it.
class SheetPixels final {
public:
    explicit SheetPixels(std::size_t length) : mapping_(takeMapping(length)) {}
    ~SheetPixels() {
        if (mapping_.base != nullptr) {
            releaseMapping(mapping_);
        }
    }
    SheetPixels(const SheetPixels&) = delete;
    SheetPixels& operator=(const SheetPixels&) = delete;

    bool ok() const { return mapping_.base != nullptr; }
    uchar* data() const { return static_cast<uchar*>(mapping_.base); }
    // Gives the pages after the first `used` bytes back to the system: no frame shows them.
    void keepOnly(std::size_t used) {
        const std::size_t from = (used + pageSize() - 1) / pageSize() * pageSize();
        if (from < mapping_.length) {
            giveBackPages(data() + from, mapping_.length - from);
        }
    }

private:
    Mapping mapping_;
};

// An RGB32 image over pages of its own for a picture of `size`, or a null image when the
// picture is beyond what the readers would allocate.
QImage sheetImageOver(QSize size, std::shared_ptr<SheetPixels>& pixels) {
    const qint64 bytesPerLine = qint64(size.width()) * 4;
    const qint64 length = bytesPerLine * size.height();
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (size.isEmpty() || (limit > 0 && length > limit)) {
        return {};
    }
    pixels = std::make_shared<SheetPixels>(static_cast<std::size_t>(length));
    if (!pixels->ok()) {
        pixels.reset();
        return {};
    }
    return QImage(pixels->data(), size.width(), size.height(), static_cast<qsizetype>(bytesPerLine),
                  QImage::Format_RGB32);
}

// The rows of a sheet `sheetHeight` pixels high that hold its first `cells` cells (at least one
// cell, at most all): the frames are cut from those rows only.
int rowsHoldingCells(int sheetHeight, long cells) {
    const long rowsOfCells =
        (std::clamp(cells, 1L, long{kSheetRows * kSheetColumns}) + kSheetColumns - 1) /
        kSheetColumns;
    if (rowsOfCells >= kSheetRows) {
        return sheetHeight;
    }
    const double cellHeight = sheetHeight / 10.0;
    const int bottom = text::truncToInt(static_cast<double>(rowsOfCells - 1) * cellHeight) +
                       text::truncToInt(cellHeight);
    return bottom >= 1 ? bottom : sheetHeight;
}

}  // namespace

bool cutSpriteSheet(const std::string& sheet, long wanted, std::vector<Frame>& frames,
                    SheetCut& cut) {
    const QByteArray bytes =
        QByteArray::fromRawData(sheet.data(), static_cast<qsizetype>(sheet.size()));
    std::shared_ptr<SheetPixels> pixels;
    QImage image;
    // Only the rows of the cells still wanted are decoded: the last sheet of a load is often
    // cut a few rows down.
    const long cellsWanted = wanted - static_cast<long>(frames.size());
    QSize stated;
    auto prepare = [&](QSize size) {
        stated = size;
        return sheetImageOver(QSize(size.width(), rowsHoldingCells(size.height(), cellsWanted)),
                              pixels);
    };
    if (!decodePictureInto(bytes, image, kMaxSheetPixels, prepare)) {
        return false;
    }
    // The sheet's size as its header states it when the reader kept to it; the size decoded
    // otherwise.
    const bool topRowsOnly = stated.isValid() && image.width() == stated.width() &&
                             image.height() < stated.height() &&
                             image.height() >= rowsHoldingCells(stated.height(), cellsWanted);
    const QSize sheetSize = topRowsOnly ? stated : image.size();
    if (image.hasAlphaChannel()) {
        // Pictures with transparency become 32-bit BMPs, which decide how each pixel is
        // shown; rare for sheets, so they take the long way.
        QByteArray bmp;
        return convertImage(bytes, kFormatBmp, bmp) &&
               cutBmpSheet(std::string_view(bmp.constData(), static_cast<std::size_t>(bmp.size())),
                           wanted, frames, cut);
    }
    // JPEG sheets decode into the pages prepared for them. A reader that made a picture of
    // its own (a grey one, say) gives it converted, and the frames share that.
    std::shared_ptr<const void> storage;
    if (pixels && image.constBits() == pixels->data() && image.format() == QImage::Format_RGB32) {
        storage = pixels;
    } else {
        pixels.reset();
        if (image.format() != QImage::Format_RGB32) {
            image.convertTo(QImage::Format_RGB32);
        }
        storage = std::make_shared<const QImage>(image);
    }
    if (!sheetSizeAccepted(sheetSize.width(), sheetSize.height()) ||
        !sheetFramesFit(frames, wanted, sheetSize.width(), sheetSize.height())) {
        return false;
    }
    // Qt's RGB32 pixels are 0xFFRRGGBB, as a BMP's pixels are shown: opaque.
    const auto* first = reinterpret_cast<const std::uint32_t*>(image.constBits());
    const std::ptrdiff_t stride = image.bytesPerLine() / 4;
    cut.width = sheetSize.width();
    cut.height = sheetSize.height();
    const double cellWidth = cut.width / 10.0, cellHeight = cut.height / 10.0;
    const int width = text::truncToInt(cellWidth), height = text::truncToInt(cellHeight);
    cut.moreWanted = true;
    int rowsUsed = image.height();
    for (int row = 0; row < kSheetRows && cut.moreWanted; ++row) {
        const int top = text::truncToInt(row * cellHeight);
        if (top + height > image.height()) {
            return false;  // rows that were not decoded: never the case for the cells wanted
        }
        for (int column = 0; column < kSheetColumns; ++column) {
            // A sheet narrower or lower than 10 pixels has empty cells, as cropBmp would.
            const int left = text::truncToInt(column * cellWidth);
            frames.emplace_back(storage, first + top * stride + left, width, height, stride);
            if (static_cast<long>(frames.size()) >= wanted) {
                cut.moreWanted = false;
                rowsUsed = top + height;
                break;
            }
        }
    }
    if (pixels) {
        pixels->keepOnly(static_cast<std::size_t>(rowsUsed) * image.bytesPerLine());
    }
    return true;
}

KeepSpareSheets::KeepSpareSheets() {
    std::lock_guard lock(spareMutex);
    ++keepers;
}

KeepSpareSheets::~KeepSpareSheets() {
    std::lock_guard lock(spareMutex);
    if (--keepers == 0) {
        for (const Mapping& mapping : spareMappings) {
            giveBackPages(mapping.base, mapping.length);
        }
    }
}

std::size_t spareSheetBytes() {
    std::lock_guard lock(spareMutex);
    std::size_t resident = 0;
    std::vector<unsigned char> pages;
    for (const Mapping& mapping : spareMappings) {
        pages.resize((mapping.length + pageSize() - 1) / pageSize());
        if (mincore(mapping.base, mapping.length, pages.data()) == 0) {
            for (const unsigned char page : pages) {
                resident += (page & 1) * pageSize();
            }
        }
    }
    return resident;
}

}  // namespace arlo::pictures
