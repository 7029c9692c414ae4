#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/bmp.h"

#ifdef ARLO_BENCH_WITH_QT
#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "pictures/qt/image_convert.h"
#endif

namespace {

constexpr int kSheetWidth = 1600;
constexpr int kSheetHeight = 900;

// A 24-bit bottom-up bitmap as the conversion produces it.
std::string sheetBmp() {
    const int row = ((kSheetWidth * 24 + 31) / 32) * 4;
    std::string b(54 + static_cast<std::size_t>(row) * kSheetHeight, '\0');
    arlo::pictures::writeBmpHeaders(b.data(), static_cast<std::uint32_t>(b.size()), 54, kSheetWidth,
                                    kSheetHeight, 24, static_cast<std::uint32_t>(b.size() - 54));
    for (std::size_t i = 54; i < b.size(); ++i) {
        b[i] = static_cast<char>(i * 31);
    }
    return b;
}

std::vector<std::string> cutCellByCell(std::string_view sheet) {
    const double cw = arlo::pictures::bmpWidth(sheet) / 10.0;
    const double ch = arlo::pictures::bmpHeight(sheet) / 10.0;
    std::vector<std::string> frames;
    for (int j = 0; j < 10; ++j) {
        for (int i = 0; i < 10; ++i) {
            frames.push_back(arlo::pictures::cropBmp(sheet, static_cast<int>(i * cw),
                                                     static_cast<int>(j * ch), static_cast<int>(cw),
                                                     static_cast<int>(ch)));
        }
    }
    return frames;
}

void BM_CutSheetCellByCell(benchmark::State& state) {
    const std::string sheet = sheetBmp();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cutCellByCell(sheet));
    }
}
BENCHMARK(BM_CutSheetCellByCell)->Unit(benchmark::kMillisecond);

void BM_CutSheetOnePass(benchmark::State& state) {
    const std::string sheet = sheetBmp();
    for (auto _ : state) {
        std::vector<std::string> frames;
        arlo::pictures::appendSheetFrames(sheet, 1000, frames);
        benchmark::DoNotOptimize(frames);
    }
}
BENCHMARK(BM_CutSheetOnePass)->Unit(benchmark::kMillisecond);

#ifdef ARLO_BENCH_WITH_QT

QByteArray sheetJpeg() {
    QImage image(kSheetWidth, kSheetHeight, QImage::Format_RGB32);
    for (int y = 0; y < kSheetHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kSheetWidth; ++x) {
            line[x] = qRgb(x % 160 + 40, y % 90 * 2, (x / 160 + y / 90 * 10) * 2);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

std::string_view view(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}

// The sheet's sizes each read through a conversion of their own, then a third conversion
// for the cutting.
void BM_SheetThreeConversions(benchmark::State& state) {
    const QByteArray jpeg = sheetJpeg();
    for (auto _ : state) {
        const double ch = arlo::pictures::pictureBmpHeight(jpeg) / 10.0;
        const double cw = arlo::pictures::pictureBmpWidth(jpeg) / 10.0;
        QByteArray bmp;
        arlo::pictures::convertImage(jpeg, arlo::pictures::kFormatBmp, bmp);
        std::vector<std::string> frames;
        for (int j = 0; j < 10; ++j) {
            for (int i = 0; i < 10; ++i) {
                frames.push_back(arlo::pictures::cropBmp(
                    view(bmp), static_cast<int>(i * cw), static_cast<int>(j * ch),
                    static_cast<int>(cw), static_cast<int>(ch)));
            }
        }
        benchmark::DoNotOptimize(frames);
    }
}
BENCHMARK(BM_SheetThreeConversions)->Unit(benchmark::kMillisecond);

void BM_SheetOneDecode(benchmark::State& state) {
    const QByteArray jpeg = sheetJpeg();
    for (auto _ : state) {
        QByteArray bmp;
        arlo::pictures::convertImage(jpeg, arlo::pictures::kFormatBmp, bmp);
        std::vector<std::string> frames;
        arlo::pictures::appendSheetFrames(view(bmp), 1000, frames);
        benchmark::DoNotOptimize(frames);
    }
}
BENCHMARK(BM_SheetOneDecode)->Unit(benchmark::kMillisecond);

// The decode alone: the floor for any path that produces frames from the sheet.
void BM_SheetDecodeOnly(benchmark::State& state) {
    const QByteArray jpeg = sheetJpeg();
    for (auto _ : state) {
        benchmark::DoNotOptimize(QImage::fromData(jpeg));
    }
}
BENCHMARK(BM_SheetDecodeOnly)->Unit(benchmark::kMillisecond);

#endif

}  // namespace
