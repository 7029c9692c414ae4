// The page view on Qt WebEngine. Built as a library of its own that the program loads on
// first use, so that starting the program does not start the browser engine.

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "playback/view/engine/flash_emulator.h"
#include "playback/view/engine/page_rules.h"
#include "playback/view/page_view.h"

namespace arlo::pageview {
namespace {

// The emulator's folder and script text, found and read once per process.
const QString& emulatorFolder() {
    static const QString folder = findFlashEmulatorFolder();
    return folder;
}

// The emulator's script text for views whose player files are held to `bounds`.
QString emulatorScript(const PlayerFileBounds& bounds) {
    static const QString folder = emulatorFolder();
    static QString script;
    static PlayerFileBounds madeFor{-1, -1};
    if (madeFor.stallMs != bounds.stallMs || madeFor.deadlineMs != bounds.deadlineMs) {
        script = flashEmulatorScript(folder, bounds);
        madeFor = bounds;
    }
    return script;
}

bool debugOutput() {
    static const bool on = qEnvironmentVariableIntValue("ARLO_PAGEVIEW_DEBUG") != 0;
    return on;
}

// Holds back every request of the page that its rules do not allow, before it goes out.
class RequestGate final : public QWebEngineUrlRequestInterceptor {
public:
    explicit RequestGate(QObject* parent)
        : QWebEngineUrlRequestInterceptor(parent),
          rules_(emulatorFolder(), configuredPlayerOrigins()) {}

    void setPage(const QUrl& page) { rules_.setPage(page); }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (!rules_.allows(info.requestUrl())) {
            info.block(true);
            if (debugOutput()) {
                std::fprintf(stderr, "page view: refused %s\n",
                             info.requestUrl().toDisplayString().toLocal8Bit().constData());
            }
        }
    }

private:
    PageRequestRules rules_;
};

// The page that shows the Player page: the Flash emulator is injected into it before any of
// the page's own content runs, it never opens another window (pop-ups, window.open and
// target=_blank links are refused), holds no frames, never leaves the page the program asked
// for (a link, including those in the emulator's own panels, leaves the view where it is),
// and reaches only what its request rules allow.
class PlayerPage final : public QWebEnginePage {
public:
    PlayerPage(QObject* parent, const PlayerFileBounds& bounds)
        : QWebEnginePage(parent), gate_(new RequestGate(this)) {
        QWebEngineSettings* s = settings();
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        // The emulator's core and WebAssembly module are local files; the player files it
        // fetches are on the players' hosts, which must allow such reads across origins. The
        // gate narrows both to those files and hosts.
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
        // A player's own full-screen button fills the screen; the window shows it so.
        s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
        setUrlRequestInterceptor(gate_);

        QWebEngineScript emulator;
        emulator.setName(QStringLiteral("flash-emulator"));
        emulator.setInjectionPoint(QWebEngineScript::DocumentCreation);
        emulator.setWorldId(QWebEngineScript::MainWorld);
        emulator.setRunsOnSubFrames(false);
        emulator.setSourceCode(emulatorScript(bounds));
        scripts().insert(emulator);
    }

    // The one address this page may show; set before each load.
    void expect(const QUrl& url) {
        expected_ = url;
        gate_->setPage(url);
    }

    // Shows `html` as the document at `url`, which is not read.
    void showDocument(const QString& html, const QUrl& url) {
        expect(url);
        showingDocument_ = true;
        setHtml(html, url);
    }

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (!isMainFrame) {
            return false;  // the page holds no frames
        }
        if (std::exchange(showingDocument_, false) && url.scheme() == QLatin1String("data")) {
            return true;  // the document of showDocument, on its way to its address
        }
        return url.adjusted(QUrl::RemoveFragment) == expected_.adjusted(QUrl::RemoveFragment);
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        if (isPlaybackFailureMessage(message)) {
            runJavaScript(showPlaybackFailureScript());
        }
        // The page's console is for whoever debugs the program, not for its terminal.
        if (debugOutput()) {
            QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
        }
    }

private:
    RequestGate* gate_;
    QUrl expected_;
    bool showingDocument_ = false;
};

// The hidden page of prepareEngine, which the first view made once it is ready takes over.
PlayerPage* borrowPreparedPage(const PlayerFileBounds& bounds);
void returnPreparedPage();

// The page keeps a little of each player it has played in place, some 0.35 MiB, which stays
// until the page is left: after this many it is loaded afresh, and the old page's memory goes
// with it.
constexpr int kReplacementsPerPage = 50;

class WebEnginePageView final : public PageView {
public:
    WebEnginePageView(QWidget* parent, const PlayerFileBounds& bounds)
        : view_(new QWebEngineView(parent)), borrowed_(borrowPreparedPage(bounds)) {
        // The prepared page has loaded the emulator, and its address is the Player page's.
        page_ = borrowed_ != nullptr ? borrowed_.data() : new PlayerPage(view_, bounds);
        replaceable_ = borrowed_ != nullptr;
        // The page's own colour: nothing flashes between one page and the next.
        page_->setBackgroundColor(Qt::white);
        view_->setPage(page_);
        // Neither the engine's menu (Shift+right click would otherwise bring it up over the
        // player) nor any other.
        view_->setContextMenuPolicy(Qt::NoContextMenu);
        QObject::connect(view_, &QWebEngineView::loadFinished, view_, [this](bool ok) {
            replaceable_ = ok;
            if (loadFinished_) {
                loadFinished_(ok);
            }
        });
        QObject::connect(page_, &QWebEnginePage::fullScreenRequested, view_,
                         [this](QWebEngineFullScreenRequest request) {
                             request.accept();
                             if (fullScreen_) {
                                 fullScreen_(request.toggleOn());
                             }
                         });
    }
    ~WebEnginePageView() override {
        delete view_.data();
        if (!borrowed_.isNull()) {
            returnPreparedPage();
        }
    }

    QWidget* widget() override { return view_; }

    void load(const QString& localPath) override {
        // A page that is not there shows as an empty view, never as the engine's error page.
        const QUrl url = QFileInfo::exists(localPath) ? QUrl::fromLocalFile(localPath)
                                                      : QUrl(QStringLiteral("about:blank"));
        ++loads_;
        if (!replaceInPlace(url, localPath)) {
            navigate(url);
        }
    }

    void setLoadFinishedHandler(std::function<void(bool)> handler) override {
        loadFinished_ = std::move(handler);
    }

    void runJavaScript(const QString& script, std::function<void(const QVariant&)> done) override {
        view_->page()->runJavaScript(script, [done = std::move(done)](const QVariant& result) {
            if (done) {
                done(result);
            }
        });
    }

    bool receivesPageInput(const QWidget* candidate) const override {
        // The engine hands the page's input to the widget it makes the view's focus proxy.
        return candidate != nullptr && candidate != view_ && candidate == view_->focusProxy();
    }

    bool hasEngine() const override { return true; }

    void setFullScreenHandler(std::function<void(bool)> handler) override {
        fullScreen_ = std::move(handler);
    }

    void leaveFullScreen() override {
        // Outside full screen the action does nothing.
        page_->triggerAction(QWebEnginePage::ExitFullScreen);
    }

    qint64 rendererProcessId() const override { return page_->renderProcessPid(); }

private:
    // The Player page keeps its path between playbacks. When the view shows that path again,
    // loaded and not given up, the file's new document takes the place of the shown one: the
    // emulator stays loaded and only the player starts anew. False when the page is to be
    // loaded afresh instead.
    bool replaceInPlace(const QUrl& url, const QString& localPath) {
        constexpr qint64 kLargestPage = 64 * 1024;  // the Player page is well under 1 KiB
        if (!replaceable_ || !url.isLocalFile() || url != page_->url() ||
            replacements_ >= kReplacementsPerPage) {
            return false;
        }
        QFile file(localPath);
        if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestPage) {
            return false;
        }
        const QString text = QString::fromUtf8(file.read(kLargestPage));
        replaceable_ = false;
        ++replacements_;
        page_->runJavaScript(replaceDocumentScript(text),
                             [this, view = view_, load = loads_, url](const QVariant& replaced) {
                                 if (view.isNull() || load != loads_) {
                                     return;  // the view has gone, or a later load took over
                                 }
                                 if (!replaced.toBool()) {
                                     navigate(url);
                                     return;
                                 }
                                 replaceable_ = true;
                                 if (loadFinished_) {
                                     loadFinished_(true);
                                 }
                             });
        return true;
    }

    void navigate(const QUrl& url) {
        replaceable_ = false;
        replacements_ = 0;
        page_->expect(url);
        // A navigation to the same address still reads the file again: there is no cache
        // for local files and the engine treats it as a new load.
        view_->load(url);
    }

    QPointer<QWebEngineView> view_;
    QPointer<PlayerPage> borrowed_;  // the prepared page, while this view has it
    PlayerPage* page_;
    std::function<void(bool)> loadFinished_;
    std::function<void(bool)> fullScreen_;
    bool replaceable_ = false;  // the page shown has loaded and may take a new document
    int loads_ = 0;
    int replacements_ = 0;  // documents put in place since the page was last loaded afresh
};

// The page that readies the engine: hidden, it shows a movie of one empty 16 x 16 frame, given
// in the page itself, so that the emulator fetches and compiles its WebAssembly module and
// starts a player without reaching the network. The page tells it has its movie through its
// title. Its file is written where the Player page is to be, unless a Player page is there
// already, or else in a folder of its own, gone once the page has loaded. Like the Player page
// it has no document type, so that the Player page put in its place lays out as it would on
// its own.
constexpr char kWarmUpPage[] =
    "<html><head><meta charset=\"utf-8\"><title></title></head>"
    "<body id=\"arlo-warm-up\">"
    "<embed type=\"application/x-shockwave-flash\" width=\"16\" height=\"16\" "
    "src=\"data:application/x-shockwave-flash;base64,RldTChcAAABgAAoAAAoAAAwBAEAAAAA=\">"
    "<script>document.addEventListener('loadeddata', () => { document.title = 'ready'; }, "
    "true);</script></body></html>";

// Writes the page anew at `path`; false when a file is there or it cannot be written.
bool writeNewWarmUpPage(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return false;
    }
    if (file.write(kWarmUpPage) < 0 || !file.flush()) {
        file.remove();
        return false;
    }
    return true;
}

class PreparedPage final : public QObject {
public:
    enum class State { Preparing, Ready, Lent, Failed };

    PreparedPage(const PlayerFileBounds& bounds, const QString& pagePath)
        : bounds_(bounds), page_(new PlayerPage(this, bounds)) {
        QString path = pagePath;
        if (!writeNewWarmUpPage(path)) {
            path = folder_.filePath(QStringLiteral("prepare.htm"));
            if (!folder_.isValid() || !writeNewWarmUpPage(path)) {
                path.clear();
            }
        }
        if (emulatorFolder().isEmpty() || path.isEmpty()) {
            QTimer::singleShot(0, this, [this] { finish(State::Failed); });
            return;
        }
        address_ = QUrl::fromLocalFile(path);
        connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            folder_.remove();
            if (state_ != State::Preparing) {
                return;
            }
            if (!ok) {
                finish(State::Failed);
                return;
            }
            // The Player page may have taken the address before the page read it.
            page_->runJavaScript(QStringLiteral("!!document.getElementById('arlo-warm-up')"),
                                 [self = QPointer<PreparedPage>(this)](const QVariant& ours) {
                                     if (!self.isNull() && !ours.toBool()) {
                                         self->putWarmUpInPlace();
                                     }
                                 });
        });
        connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
            if (title == QLatin1String("ready") && state_ == State::Preparing) {
                finish(State::Ready);
            }
        });
        connect(page_, &QWebEnginePage::renderProcessTerminated, this, [this] {
            if (state_ != State::Lent) {
                finish(State::Failed);
            }
        });
        page_->expect(address_);
        page_->load(address_);
    }

    qint64 processId() const { return state_ == State::Failed ? 0 : page_->renderProcessPid(); }

    void whenDone(const std::function<void(bool)>& done) {
        if (!done) {
            return;
        }
        if (state_ == State::Preparing) {
            waiting_.push_back(done);
        } else {
            done(state_ != State::Failed);
        }
    }

    // The page, for a view held to the same bounds, while it is ready and no other view has it.
    PlayerPage* lend(const PlayerFileBounds& bounds) {
        if (state_ != State::Ready || bounds.stallMs != bounds_.stallMs ||
            bounds.deadlineMs != bounds_.deadlineMs) {
            return nullptr;
        }
        state_ = State::Lent;
        return page_;
    }

    // The page back from its view, where the empty movie takes the place of its player.
    void takeBack() {
        state_ = State::Preparing;
        putWarmUpInPlace();
    }

private:
    // The empty movie in place of the page's document; where the page has given up on its
    // player or its process has ended, it is shown afresh instead.
    void putWarmUpInPlace() {
        page_->runJavaScript(replaceDocumentScript(QString::fromUtf8(kWarmUpPage)),
                             [self = QPointer<PreparedPage>(this)](const QVariant& replaced) {
                                 // The page's pending calls are answered, empty, as it ends.
                                 if (self.isNull() || self->state_ != State::Preparing) {
                                     return;
                                 }
                                 if (replaced.toBool()) {
                                     self->finish(State::Ready);
                                 } else {
                                     self->page_->showDocument(QString::fromUtf8(kWarmUpPage),
                                                               self->address_);
                                 }
                             });
    }

    void finish(State state) {
        if (state_ == State::Failed) {
            return;
        }
        state_ = state;
        for (const auto& done : std::exchange(waiting_, {})) {
            done(state == State::Ready);
        }
    }

    PlayerFileBounds bounds_;
    QTemporaryDir folder_;
    QUrl address_;
    PlayerPage* page_;
    State state_ = State::Preparing;
    std::vector<std::function<void(bool)>> waiting_;
};

PreparedPage* preparedPage = nullptr;

// Before the engine lets its profile go when the application ends: the page goes first.
void deletePreparedPage() {
    delete std::exchange(preparedPage, nullptr);
}

PlayerPage* borrowPreparedPage(const PlayerFileBounds& bounds) {
    return preparedPage != nullptr ? preparedPage->lend(bounds) : nullptr;
}

void returnPreparedPage() {
    if (preparedPage != nullptr) {
        preparedPage->takeBack();
    }
}

}  // namespace
}  // namespace arlo::pageview

extern "C" Q_DECL_EXPORT void arlo_prepare_engine(const arlo::pageview::PlayerFileBounds& bounds,
                                                  const QString& pagePath,
                                                  const std::function<void(bool)>& done) {
    using arlo::pageview::preparedPage;
    if (preparedPage == nullptr) {
        preparedPage = new arlo::pageview::PreparedPage(bounds, pagePath);
        qAddPostRoutine(arlo::pageview::deletePreparedPage);
    }
    preparedPage->whenDone(done);
}

extern "C" Q_DECL_EXPORT qint64 arlo_prepared_renderer_process() {
    return arlo::pageview::preparedPage != nullptr ? arlo::pageview::preparedPage->processId() : 0;
}

extern "C" Q_DECL_EXPORT arlo::pageview::PageView* arlo_create_page_view(
    QWidget* parent, const arlo::pageview::PlayerFileBounds& bounds) {
    return new arlo::pageview::WebEnginePageView(parent, bounds);
}
