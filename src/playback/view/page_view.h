#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QWidget;

// The embedded page view that shows the Player page. The browser engine lives in a library
// of its own that is loaded on first use, so the program starts and shows its Main window
// without starting a browser engine. Nothing here includes the engine's headers.
namespace arlo::pageview {

class PageView {
public:
    virtual ~PageView() = default;

    // The widget to place in a window. It belongs to the parent given on creation.
    virtual QWidget* widget() = 0;

    // Loads the local HTML file at `localPath`, also when it is the path shown now: the
    // Player page keeps its path while its content changes between playbacks. A view that
    // shows that path, loaded and playing, puts the file's new document in place of the
    // shown one without leaving the page, so that the Flash emulator the page has loaded
    // plays the next player at once.
    virtual void load(const QString& localPath) = 0;

    // Called once per finished load with whether the page loaded.
    virtual void setLoadFinishedHandler(std::function<void(bool ok)> handler) = 0;

    // Runs `script` in the page and hands its result to `done` on the UI thread.
    virtual void runJavaScript(const QString& script,
                               std::function<void(const QVariant& result)> done) = 0;

    // Whether `candidate` is the widget through which the page receives mouse input. The
    // engine creates that widget some time after the first load, and may replace it.
    virtual bool receivesPageInput(const QWidget* candidate) const = 0;

    // Whether a browser engine stands behind this view (false: a notice is shown instead).
    virtual bool hasEngine() const = 0;

    // The page asked to show its content on the whole screen (`on`) or to stop doing so; the
    // view has granted it and the window decides how it shows. A view without an engine
    // never asks.
    virtual void setFullScreenHandler(std::function<void(bool on)> /*handler*/) {}

    // Takes the page out of its own full-screen state, if it is in one; the page then reports
    // the change through the full-screen handler.
    virtual void leaveFullScreen() {}

    // The id of the process that runs the page; 0 while there is none.
    virtual qint64 rendererProcessId() const { return 0; }
};

// Creates a page view inside `parent`. When the engine library cannot be loaded, the view
// shows a notice saying so and loads nothing; it never fails.
std::unique_ptr<PageView> createPageView(QWidget* parent);

// Where the engine library was looked for and why loading failed; empty once it loaded.
QString engineLoadError();

// Starts the engine ahead of the first view and readies the Flash emulator in a hidden page
// that stays: the emulator's WebAssembly module is fetched and compiled there once, and every
// view's page runs in that page's process, where the compiled module is found again. The hidden
// page holds a movie of one empty frame at the address `pagePath`, where the Player page is to
// be written: the first view made once it is ready takes that page over, so that its first
// load of `pagePath` only puts the page file's document in place, and hands it back, silent,
// when the view goes. The engine is loaded now and the page made on a later turn of the event
// loop, so that no step holds up the user's input for long. `done` gets, on the UI thread,
// whether the emulator is ready: false when the page could not be made or loaded, or its
// process ended. Later calls prepare nothing more and only report. Without an engine, `done`
// gets false at once.
void prepareEngine(std::function<void(bool ready)> done = {}, const QString& pagePath = {});

// The process of the prepared page; 0 while there is none.
qint64 preparedRendererProcessId();

// How long a page's request for a player file may wait for its next bytes, and take in all:
// the program's own bounds of network requests.
struct PlayerFileBounds {
    int stallMs = 0;
    int deadlineMs = 0;
};

// The function that the engine library exports, under the name `kEngineEntryPoint`, to make
// a view inside `parent` whose player files are held to `bounds`.
using CreateEngineViewFunction = PageView* (*)(QWidget* parent, const PlayerFileBounds& bounds);
inline constexpr const char* kEngineEntryPoint = "arlo_create_page_view";

// Exported as `kPrepareEntryPoint`: makes the hidden page of prepareEngine, once.
using PrepareEngineFunction = void (*)(const PlayerFileBounds& bounds, const QString& pagePath,
                                       const std::function<void(bool ready)>& done);
inline constexpr const char* kPrepareEntryPoint = "arlo_prepare_engine";

// Exported as `kPreparedProcessEntryPoint`: preparedRendererProcessId.
using PreparedProcessFunction = qint64 (*)();
inline constexpr const char* kPreparedProcessEntryPoint = "arlo_prepared_renderer_process";

}  // namespace arlo::pageview
