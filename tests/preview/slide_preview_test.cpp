#include "preview/slide_preview.h"

#include <gtest/gtest.h>

namespace arlo::preview {
namespace {

TEST(TimeText, showsHoursMinutesAndSeconds) {
    EXPECT_EQ(timeText(0), "00:00:00");
    EXPECT_EQ(timeText(6), "00:00:06");
    EXPECT_EQ(timeText(1380), "00:23:00");
    EXPECT_EQ(timeText(3599), "00:59:59");
    EXPECT_EQ(timeText(3600 * 11 + 61), "11:01:01");
    EXPECT_EQ(timeText(360000), "100:00:00");
    EXPECT_EQ(timeText(-5), "00:00:00");
}

TEST(ShowPage, givesIdDurationAndSheetAddresses) {
    const auto info = parseShowPage(
        R"({"pid":1,"list":[{"id":900123,"title":"第5集","duration":1380,"dur":"x"}]})");
    EXPECT_EQ(info.showId, "900123");
    EXPECT_EQ(info.duration, 1380);
    EXPECT_EQ(spriteSheetPath(info.showId, 2), "/0/900123_6_10x10_2_720.jpg");
    EXPECT_EQ(showPagePath("aBc9"), "/show/aBc9.html");

    // Markers match case-sensitively; a missing one gives the empty id and duration 0.
    const auto other = parseShowPage(R"({"ID":5,"Duration":1380,})");
    EXPECT_EQ(other.showId, "");
    EXPECT_EQ(other.duration, 0);
    EXPECT_EQ(parseShowPage(R"("duration":"soon",)").duration, 0);
}

TEST(FrameCount, isOneFrameEverySixSecondsLessOne) {
    EXPECT_EQ(expectedFrameCount(1380), 229);
    EXPECT_EQ(expectedFrameCount(6), 0);
    EXPECT_EQ(expectedFrameCount(11), 0);
    EXPECT_EQ(expectedFrameCount(12), 1);
    EXPECT_EQ(expectedFrameCount(0), -1);
    EXPECT_EQ(expectedFrameCount(5), 0);  // trunc(-0.17) is 0

    EXPECT_TRUE(previewSucceeded(229, 229));
    EXPECT_FALSE(previewSucceeded(228, 229));
    EXPECT_FALSE(previewSucceeded(1, 0));
    EXPECT_FALSE(previewSucceeded(0, 0));
    EXPECT_FALSE(previewSucceeded(0, -1));
}

TEST(SheetGeometry, cellsAndPopupFollowTheCellSize) {
    EXPECT_EQ(sheetCell(1600, 900, 0, 0), (Rect{0, 0, 160, 90}));
    EXPECT_EQ(sheetCell(1600, 900, 9, 9), (Rect{1440, 810, 160, 90}));
    EXPECT_EQ(sheetCell(1605, 907, 9, 9), (Rect{1444, 816, 160, 90}));
    EXPECT_EQ(sheetCell(1605, 907, 3, 7), (Rect{481, 634, 160, 90}));

    const auto g = popupGeometry(1600, 900, 500, 33, 12);
    EXPECT_EQ(g.frame, (Rect{33, 398, 164, 94}));  // 102 above the slider
    EXPECT_EQ(g.picture, (Rect{2, 2, 160, 90}));
    EXPECT_EQ(g.pointer, (Rect{33, 490, 164, 12}));
    const auto odd = popupGeometry(1605, 907, 500, 0, 12);
    EXPECT_EQ(odd.frame, (Rect{0, 397, 164, 94}));  // trunc(500 - 90.7 - 12)
}

TEST(SliderPointing, picksTheFrameUnderTheCursorWithinRange) {
    // A 229-frame slider 458 pixels wide at x = 100: two pixels per frame.
    EXPECT_EQ(frameAtCursor(229, 458, 100, 100), 1);
    EXPECT_EQ(frameAtCursor(229, 458, 100, 50), 1);
    EXPECT_EQ(frameAtCursor(229, 458, 100, 103), 1);
    EXPECT_EQ(frameAtCursor(229, 458, 100, 104), 2);
    EXPECT_EQ(frameAtCursor(229, 458, 100, 558), 229);
    EXPECT_EQ(frameAtCursor(229, 458, 100, 5000), 229);
    EXPECT_EQ(frameAtCursor(229, 0, 100, 300), 1);

    EXPECT_EQ(popupLeft(100, 164), 14);
    EXPECT_EQ(popupLeft(100, 165), 13);
    EXPECT_EQ(popupLeft(0, 164), -86);
    EXPECT_EQ(pointerLeft(14), 18);
}

}  // namespace
}  // namespace arlo::preview
