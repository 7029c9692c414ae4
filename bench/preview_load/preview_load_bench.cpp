// From choosing a Mandarin-dubbed row to the slider being enabled, with the show page and
// three 1600 x 900 sprite sheets served by the stand-in on loopback:
//
//   BM_RowToSliderEnabled       the program's way: the preview controller on a real Main
//                               window, each sheet decoded once, its frames left in place
//   BM_LoaderOneDecodePerSheet  the same load without the window
//   BM_LoaderThreeConversions   each sheet converted three times (height, width, cutting)
//                               and cut cell by cell
//   BM_FetchAndDecodeOnly       the floor: fetch page and sheets, decode each sheet once
//
// and convertImage of one sheet from JPEG to BMP (compare with ImageMagick through
// convert_vs_imagemagick.sh).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QProgressBar>
#include <QSignalSpy>
#include <memory>

#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "pictures/bmp.h"
#include "pictures/qt/image_convert.h"
#include "pictures/qt/sprite_sheet.h"
#include "preview/slide_preview.h"
#include "preview/slide_preview_loader.h"
#include "standin/standin_environment.h"
#include "ui/app_context.h"
#include "ui/episode_panel.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"

using namespace arlo;

namespace {

// 23 minutes: 229 frames from three sheets.
const std::string kCode = "test-1380";

preview::PreviewHosts hosts() {
    return {std::string(deploy::kPptvWebHost), std::string(deploy::kPptvPictureHost)};
}

std::string_view view(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

void BM_RowToSliderEnabled(benchmark::State& state) {
    ui::AppContext context;
    ui::MainWindow window(context);
    ui::PreviewController controller(context, window.episodePanel());
    const QString code = QString::fromStdString(kCode);
    for (auto _ : state) {
        QSignalSpy finished(&controller, &ui::PreviewController::previewFinished);
        controller.setSelection(QString(), code);
        controller.startPreviewLoader();
        if (!finished.wait(30000) || !window.episodePanel().controls().previewSlider->isEnabled()) {
            state.SkipWithError("the preview did not load");
            break;
        }
        window.episodePanel().controls().previewSlider->setEnabled(false);
    }
}
BENCHMARK(BM_RowToSliderEnabled)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoaderOneDecodePerSheet(benchmark::State& state) {
    const preview::PreviewSources sources = ui::networkPreviewSources();
    // As the program's loads do: each load decodes into the sheets the one before left.
    const pictures::KeepSpareSheets reuse;
    for (auto _ : state) {
        const preview::SlidePreview p = preview::loadSlidePreview(kCode, hosts(), sources);
        if (!p.succeeded) {
            state.SkipWithError("the preview did not load");
            break;
        }
    }
}
BENCHMARK(BM_LoaderOneDecodePerSheet)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each sheet converted for its height, for its width and for the cutting, then cut cell by
// cell with cropBmp.
void BM_LoaderThreeConversions(benchmark::State& state) {
    for (auto _ : state) {
        const preview::ShowInfo show =
            preview::parseShowPage(net::FetchPageUtf8(hosts().web + preview::showPagePath(kCode)));
        const int expected = preview::expectedFrameCount(show.duration);
        std::vector<std::string> frames;
        bool wanted = true;
        for (int k = 0; k < preview::kMaxSheets && wanted; ++k) {
            const QByteArray sheet =
                bytes(net::FetchPage(hosts().pictures + preview::spriteSheetPath(show.showId, k)));
            const double ch = pictures::pictureBmpHeight(sheet) / 10.0;
            const double cw = pictures::pictureBmpWidth(sheet) / 10.0;
            QByteArray bmp;
            if (!pictures::convertImage(sheet, pictures::kFormatBmp, bmp)) {
                continue;
            }
            for (int j = 0; j < 10 && wanted; ++j) {
                for (int i = 0; i < 10 && wanted; ++i) {
                    frames.push_back(
                        pictures::cropBmp(view(bmp), int(i * cw), int(j * ch), int(cw), int(ch)));
                    wanted = static_cast<int>(frames.size()) < expected;
                }
            }
        }
        if (!preview::previewSucceeded(frames.size(), expected)) {
            state.SkipWithError("the preview did not load");
            break;
        }
    }
}
BENCHMARK(BM_LoaderThreeConversions)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FetchAndDecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        const preview::ShowInfo show =
            preview::parseShowPage(net::FetchPageUtf8(hosts().web + preview::showPagePath(kCode)));
        for (int k = 0; k < 3; ++k) {
            const std::string sheet =
                net::FetchPage(hosts().pictures + preview::spriteSheetPath(show.showId, k));
            QImage image;
            image.loadFromData(reinterpret_cast<const uchar*>(sheet.data()),
                               static_cast<int>(sheet.size()));
            if (image.isNull()) {
                state.SkipWithError("a sheet did not decode");
                return;
            }
            benchmark::DoNotOptimize(image);
        }
    }
}
BENCHMARK(BM_FetchAndDecodeOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertImageJpegToBmp(benchmark::State& state) {
    const preview::ShowInfo show =
        preview::parseShowPage(net::FetchPageUtf8(hosts().web + preview::showPagePath(kCode)));
    const QByteArray sheet =
        bytes(net::FetchPage(hosts().pictures + preview::spriteSheetPath(show.showId, 0)));
    for (auto _ : state) {
        QByteArray bmp;
        if (!pictures::convertImage(sheet, pictures::kFormatBmp, bmp)) {
            state.SkipWithError("the sheet did not convert");
            break;
        }
        benchmark::DoNotOptimize(bmp);
    }
}
BENCHMARK(BM_ConvertImageJpegToBmp)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    standin::StandinEnvironment env;
    if (!env.ok()) {
        return 1;
    }
    // Draw the sheets once, so the stand-in serves them from memory while timed.
    preview::loadSlidePreview(kCode, hosts(), ui::networkPreviewSources());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
