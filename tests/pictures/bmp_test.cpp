#include "pictures/bmp.h"
#include "pictures/sheet.h"

#include <gtest/gtest.h>

#include <limits>

#include "bmp_test_support.h"

namespace arlo::pictures {
namespace {

using testing::get32;
using testing::makeBmp;
using testing::pixelByte;
using testing::put32;

void expectCutFrom(const std::string& source, const std::string& frame, int left, int top,
                   int width, int height) {
    const int bpp = static_cast<unsigned char>(source[28]);
    const std::size_t header = bpp == 8 ? 1078 : 54;
    ASSERT_EQ(frame.size(), header + testing::rowBytes(width, bpp) * height);
    EXPECT_EQ(frame.substr(0, 2), "BM");
    EXPECT_EQ(get32(frame, 2), frame.size());
    EXPECT_EQ(get32(frame, 6), 0u);
    EXPECT_EQ(get32(frame, 10), header);
    EXPECT_EQ(get32(frame, 14), 40u);
    EXPECT_EQ(get32(frame, 18), static_cast<std::uint32_t>(width));
    EXPECT_EQ(get32(frame, 22), static_cast<std::uint32_t>(height));
    EXPECT_EQ(frame[26], 1);
    EXPECT_EQ(frame[28], static_cast<char>(bpp));
    for (std::size_t at = 30; at < 54; ++at) {
        EXPECT_EQ(frame[at], 0) << "information header byte " << at;
    }
    if (bpp == 8) {
        EXPECT_EQ(frame.substr(54, 1024), source.substr(54, 1024));
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < bpp / 8; ++c) {
                ASSERT_EQ(pixelByte(frame, x, y, c), pixelByte(source, left + x, top + y, c))
                    << "pixel " << x << "," << y << " channel " << c;
            }
        }
    }
}

TEST(CropBmp, cutsTheRectangleAtEveryBitDepth) {
    for (int bpp : {8, 16, 24, 32}) {
        SCOPED_TRACE(bpp);
        // An odd width gives padded rows in both the source and the cut.
        const std::string sheet = makeBmp(37, 23, bpp);
        expectCutFrom(sheet, cropBmp(sheet, 5, 3, 11, 7), 5, 3, 11, 7);
        expectCutFrom(sheet, cropBmp(sheet, 0, 0, 37, 23), 0, 0, 37, 23);
        // Rectangles touching the right and bottom edges and the single corner pixels.
        expectCutFrom(sheet, cropBmp(sheet, 30, 16, 7, 7), 30, 16, 7, 7);
        expectCutFrom(sheet, cropBmp(sheet, 36, 22, 1, 1), 36, 22, 1, 1);
        expectCutFrom(sheet, cropBmp(sheet, 0, 0, 1, 1), 0, 0, 1, 1);
    }
}

TEST(CropBmp, rejectsRectanglesOutsideThePicture) {
    const std::string sheet = makeBmp(20, 10, 24);
    EXPECT_TRUE(cropBmp(sheet, 11, 0, 10, 5).empty());  // one column beyond the right edge
    EXPECT_TRUE(cropBmp(sheet, 0, 6, 5, 5).empty());    // one row beyond the bottom
    EXPECT_TRUE(cropBmp(sheet, -1, 0, 5, 5).empty());
    EXPECT_TRUE(cropBmp(sheet, 0, -1, 5, 5).empty());
    EXPECT_TRUE(cropBmp(sheet, 0, 0, 0, 5).empty());
    EXPECT_TRUE(cropBmp(sheet, 0, 0, 5, 0).empty());
    EXPECT_TRUE(cropBmp(sheet, 0, 0, -5, 5).empty());
    const int big = std::numeric_limits<int>::max();
    EXPECT_TRUE(cropBmp(sheet, big, 0, big, 5).empty());
    EXPECT_TRUE(cropBmp(sheet, 0, big, 5, big).empty());
    EXPECT_FALSE(cropBmp(sheet, 10, 5, 10, 5).empty());
}

TEST(CropBmp, rejectsUnsupportedBitmaps) {
    std::string compressed = makeBmp(8, 8, 24);
    compressed[30] = 1;
    EXPECT_TRUE(cropBmp(compressed, 0, 0, 2, 2).empty());
    for (int bpp : {1, 4, 15, 48}) {
        std::string odd = makeBmp(8, 8, 24);
        odd[28] = static_cast<char>(bpp);
        EXPECT_TRUE(cropBmp(odd, 0, 0, 2, 2).empty()) << bpp;
    }
    std::string notBmp = makeBmp(8, 8, 24);
    notBmp[0] = 'P';
    EXPECT_TRUE(cropBmp(notBmp, 0, 0, 2, 2).empty());
}

TEST(CropBmp, rejectsTruncatedAndLyingFilesWithoutReadingPastThem) {
    const std::string sheet = makeBmp(16, 12, 24);
    for (std::size_t n : {0, 1, 2, 20, 53}) {
        EXPECT_TRUE(cropBmp(sheet.substr(0, n), 0, 0, 1, 1).empty()) << n;
    }
    // Rows are stored bottom-up: a file cut short loses the picture's top rows first. Each
    // copy is exact-sized so that a sanitizer catches any read past its end.
    const std::string cut = sheet.substr(0, sheet.size() - 10);
    EXPECT_TRUE(cropBmp(cut, 0, 0, 16, 1).empty());
    EXPECT_TRUE(cropBmp(cut, 10, 0, 6, 1).empty());
    expectCutFrom(sheet, cropBmp(cut, 0, 1, 16, 11), 0, 1, 16, 11);
    expectCutFrom(sheet, cropBmp(cut, 0, 0, 12, 1), 0, 0, 12, 1);  // the part still present

    std::string wide = sheet;
    put32(wide, 18, 0x7FFFFFFF);
    EXPECT_TRUE(cropBmp(wide, 0, 0, 16, 12).empty());
    EXPECT_TRUE(cropBmp(wide, 0x7FFFFFF0, 0, 15, 1).empty());
    std::string tall = sheet;
    put32(tall, 22, 0x7FFFFFFF);
    EXPECT_TRUE(cropBmp(tall, 0, 0, 16, 12).empty());
    EXPECT_TRUE(cropBmp(tall, 0, 0x7FFFFFF0, 1, 15).empty());
    std::string topDown = sheet;
    put32(topDown, 22, static_cast<std::uint32_t>(-12));
    EXPECT_TRUE(cropBmp(topDown, 0, 0, 4, 4).empty());
    std::string noWidth = sheet;
    put32(noWidth, 18, 0);
    EXPECT_TRUE(cropBmp(noWidth, 0, 0, 1, 1).empty());

    // Pixels elsewhere than right after a 40-byte header would be cut at the wrong bytes.
    std::string largerHeader = sheet;
    put32(largerHeader, 14, 124);
    EXPECT_TRUE(cropBmp(largerHeader, 0, 0, 4, 4).empty());
    std::string movedPixels = sheet;
    put32(movedPixels, 10, 60);
    EXPECT_TRUE(cropBmp(movedPixels, 0, 0, 4, 4).empty());

    const std::string indexed = makeBmp(4, 4, 8);
    EXPECT_TRUE(cropBmp(indexed.substr(0, 600), 0, 0, 1, 1).empty());  // short palette
}

TEST(BmpSize, readsTheHeaderFieldsOfBitmapsOnly) {
    const std::string sheet = makeBmp(1600, 2, 24);
    EXPECT_EQ(bmpWidth(sheet), 1600);
    EXPECT_EQ(bmpHeight(sheet), 2);
    EXPECT_EQ(bmpWidth(sheet.substr(0, 22)), 1600);
    EXPECT_EQ(bmpWidth(sheet.substr(0, 21)), 0);
    EXPECT_EQ(bmpHeight(sheet.substr(0, 25)), 0);
    EXPECT_EQ(bmpWidth(""), 0);
    EXPECT_EQ(bmpHeight("BM"), 0);
    EXPECT_EQ(bmpWidth("\xFF\xD8\xFF\xE0 not a bitmap at all, a JPEG"), 0);
}

// The loader's cutting: every cell of a sheet at truncated positions, one frame per cell.
std::vector<std::string> cellsByCropBmp(const std::string& sheet) {
    const double cw = bmpWidth(sheet) / 10.0, ch = bmpHeight(sheet) / 10.0;
    std::vector<std::string> frames;
    for (int j = 0; j < 10; ++j) {
        for (int i = 0; i < 10; ++i) {
            frames.push_back(cropBmp(sheet, static_cast<int>(i * cw), static_cast<int>(j * ch),
                                     static_cast<int>(cw), static_cast<int>(ch)));
        }
    }
    return frames;
}

TEST(SheetFrames, equalCropBmpOfEveryCell) {
    for (int bpp : {8, 24, 32}) {
        SCOPED_TRACE(bpp);
        // 165 x 97 is not a multiple of 10: cells are 16 x 9 at truncated positions.
        const std::string sheet = makeBmp(165, 97, bpp);
        std::vector<std::string> frames;
        EXPECT_TRUE(appendSheetFrames(sheet, 1000, frames));
        const auto expected = cellsByCropBmp(sheet);
        ASSERT_EQ(frames.size(), 100u);
        for (std::size_t n = 0; n < frames.size(); ++n) {
            ASSERT_FALSE(frames[n].empty()) << n;
            ASSERT_EQ(frames[n], expected[n]) << n;
        }
        // The last cell starts at (trunc(9 x 16.5), trunc(9 x 9.7)) = (148, 87).
        expectCutFrom(sheet, frames[99], 148, 87, 16, 9);
    }
}

TEST(SheetFrames, stopAsSoonAsEnoughFramesExist) {
    const std::string sheet = makeBmp(40, 20, 24);
    std::vector<std::string> frames;
    EXPECT_TRUE(appendSheetFrames(sheet, 229, frames));
    EXPECT_TRUE(appendSheetFrames(sheet, 229, frames));
    EXPECT_FALSE(appendSheetFrames(sheet, 229, frames));
    EXPECT_EQ(frames.size(), 229u);
    EXPECT_EQ(frames[228], cellsByCropBmp(sheet)[28]);

    // Nothing wanted still takes the first cell before the count is checked.
    std::vector<std::string> one;
    EXPECT_FALSE(appendSheetFrames(sheet, 0, one));
    EXPECT_EQ(one.size(), 1u);
}

TEST(SheetFrames, unusableSheetsGiveEmptyFramesAsCropBmpWould) {
    std::vector<std::string> frames;
    EXPECT_TRUE(appendSheetFrames("not a picture", 300, frames));
    EXPECT_EQ(frames.size(), 100u);
    EXPECT_TRUE(frames.front().empty());
    // Under 10 pixels wide the cells have no width.
    const std::string narrow = makeBmp(9, 50, 24);
    frames.clear();
    appendSheetFrames(narrow, 300, frames);
    EXPECT_EQ(frames, cellsByCropBmp(narrow));
    EXPECT_TRUE(frames[5].empty());
}

// Pixels read back by plain arithmetic: 0xFFRRGGBB from the B, G, R bytes of the pattern.
std::uint32_t patternPixel(int x, int y) {
    auto byte = [&](int c) {
        return std::uint32_t(static_cast<unsigned char>(testing::patternByte(x, y, c)));
    };
    return 0xFF000000u | byte(2) << 16 | byte(1) << 8 | byte(0);
}

TEST(DecodeBmp, givesEveryPixelTopRowFirst) {
    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        const Picture p = decodeBmp(makeBmp(37, 23, bpp));
        ASSERT_EQ(p.width, 37);
        ASSERT_EQ(p.height, 23);
        ASSERT_EQ(p.pixels.size(), 37u * 23u);
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37; ++x) {
                ASSERT_EQ(p.pixels[y * 37 + x], patternPixel(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(DecodeBmp, readsThePaletteAndFiveBitChannels) {
    const std::string indexed = makeBmp(5, 3, 8);
    const Picture p8 = decodeBmp(indexed);
    ASSERT_EQ(p8.pixels.size(), 15u);
    // Palette entry i is the bytes B, G, R, 0 at 54 + 4i.
    const auto index = static_cast<unsigned char>(testing::patternByte(4, 2, 0));
    auto palette = [&](int c) {
        return std::uint32_t(static_cast<unsigned char>(indexed[54 + 4 * index + c]));
    };
    EXPECT_EQ(p8.pixels[2 * 5 + 4], 0xFF000000u | palette(2) << 16 | palette(1) << 8 | palette(0));

    std::string highColour = makeBmp(2, 1, 16);
    // 0 11111 00001 00010: red 31, green 1, blue 2, each shifted to eight bits.
    highColour[54] = static_cast<char>(0x22);
    highColour[55] = static_cast<char>(0x7C);
    EXPECT_EQ(decodeBmp(highColour).pixels[0], 0xFFF80810u);
}

TEST(DecodeBmp, rejectsWhatCropBmpRejects) {
    EXPECT_TRUE(decodeBmp("not a picture").empty());
    std::string cut = makeBmp(20, 10, 24);
    cut.resize(cut.size() - 1);  // the top row ends one byte short
    EXPECT_TRUE(cropBmp(cut, 0, 0, 20, 10).empty());
    EXPECT_TRUE(decodeBmp(cut).empty());
    EXPECT_FALSE(decodeBmp(cut.substr(0, 54) + std::string(60 * 10, '\0')).empty());
}

TEST(SheetCutting, bmpSheetsGiveTheDecodedCellsAndStopWhenEnoughExist) {
    const std::string sheet = makeBmp(40, 20, 24);
    std::vector<Frame> frames;
    SheetCut cut;
    ASSERT_TRUE(cutBmpSheet(sheet, 150, frames, cut));
    EXPECT_EQ(cut.width, 40);
    EXPECT_EQ(cut.height, 20);
    EXPECT_TRUE(cut.moreWanted);
    ASSERT_TRUE(cutBmpSheet(sheet, 150, frames, cut));
    EXPECT_FALSE(cut.moreWanted);
    ASSERT_EQ(frames.size(), 150u);
    // Frame 150 is the second sheet's cell 49: row 4, column 9, 4 x 2 pixels.
    EXPECT_EQ(frames[149], decodeBmp(cropBmp(sheet, 36, 8, 4, 2)));
    EXPECT_EQ(frames[149].row(0)[0], patternPixel(36, 8));
    EXPECT_FALSE(cutBmpSheet("not a picture", 150, frames, cut));
}

TEST(SheetCutting, sheetsFarLargerThanDocumentedAndLoadsPastTheirShareAreRefused) {
    // A header that states 5600 x 5600 pixels in front of a few bytes.
    std::string huge = makeBmp(40, 20, 24);
    put32(huge, 18, 5600);
    put32(huge, 22, 5600);
    std::vector<Frame> frames;
    SheetCut cut;
    EXPECT_FALSE(cutBmpSheet(huge, 1000, frames, cut));
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(sheetSizeAccepted(3200, 1800));
    EXPECT_TRUE(sheetSizeAccepted(kMaxSheetPixels, 1));
    EXPECT_FALSE(sheetSizeAccepted(3201, 1800));
    EXPECT_FALSE(sheetSizeAccepted(kMaxSheetPixels + 1, 1));
    EXPECT_FALSE(sheetSizeAccepted(0, 900));

    // Ten documented sheets fit one load; cells of 320 x 180 fit up to 277 frames.
    // One frame holds every pixel counted; the others are empty.
    const auto pixelsHeld = [](int count) {
        return Frame(
            Picture{count, 1, std::vector<std::uint32_t>(static_cast<std::size_t>(count))});
    };
    std::vector<Frame> held(999);
    held.front() = pixelsHeld(999 * 160 * 90);
    EXPECT_TRUE(sheetFramesFit(held, 1000, 1600, 900));
    held.resize(200);
    held.front() = pixelsHeld(200 * 320 * 180);
    EXPECT_TRUE(sheetFramesFit(held, 277, 3200, 1800));
    EXPECT_FALSE(sheetFramesFit(held, 278, 3200, 1800));
    EXPECT_FALSE(sheetFramesFit(held, 1000, 3200, 1800));
    // A load that reaches the bound exactly is taken; one pixel more is not.
    held.resize(1);
    held.front() = pixelsHeld(static_cast<int>(kMaxLoadFramePixels - 160 * 90));
    EXPECT_TRUE(sheetFramesFit(held, 2, 1600, 900));
    held.front() = pixelsHeld(static_cast<int>(kMaxLoadFramePixels - 160 * 90 + 1));
    EXPECT_FALSE(sheetFramesFit(held, 2, 1600, 900));
    // A sheet always adds at least one frame.
    held.front() = pixelsHeld(static_cast<int>(kMaxLoadFramePixels));
    EXPECT_FALSE(sheetFramesFit(held, 0, 20, 20));
    EXPECT_FALSE(cutBmpSheet(makeBmp(40, 20, 24), 1000, held, cut));
    EXPECT_EQ(held.size(), 1u);
}

}  // namespace
}  // namespace arlo::pictures
