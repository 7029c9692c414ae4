#include "playback/view/page_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLibrary>
#include <QStringList>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <optional>

#include "net/host_map.h"
#include "net/transport.h"
#include "playback/view/build_tree.h"
#if QT_CONFIG(opengl)
#include <QOpenGLContext>

// Exported by Qt's GUI library without a public declaration; the browser engine reads the
// context set here when it starts.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE
#endif

namespace arlo::pageview {
namespace {

#if QT_CONFIG(opengl)
void deleteSharedContext() {
    QOpenGLContext* context = qt_gl_global_share_context();
    qt_gl_set_global_share_context(nullptr);
    delete context;
}
#endif

// The engine draws through OpenGL contexts that share their resources with one application
// wide context. Making that context costs a good part of start-up (the driver is loaded and
// set up), so it is made here, just before the engine is first loaded, rather than by the
// application object at start-up; the engine finds it as if it had been there all along.
void shareGraphicsContexts() {
#if QT_CONFIG(opengl)
    if (qt_gl_global_share_context() != nullptr ||
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    // A context that could not be made is still set: the engine then draws without OpenGL.
    context->create();
    qt_gl_set_global_share_context(context);
    qAddPostRoutine(deleteSharedContext);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
}

// ARLO_PAGEVIEW_DEBUG=1 leaves the engine's own reports (its set-up, its log, the pages'
// console) on the terminal; without it a user who starts the program there sees none.
bool engineDebugOutput() {
    return qEnvironmentVariableIntValue("ARLO_PAGEVIEW_DEBUG") != 0;
}

// The engine reads its command line once, when it starts: the hosts of ARLO_HOST_MAP are
// resolved to the same addresses as the program's own requests, and its log is kept to
// fatal errors unless asked for.
void prepareEngineCommandLine() {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const std::string rules = net::hostResolverRules(qgetenv("ARLO_HOST_MAP").toStdString());
    if (!rules.empty()) {
        flags += " --host-resolver-rules=\"" + QByteArray::fromStdString(rules) + '"';
    }
    if (!engineDebugOutput() && !flags.contains("--log-level")) {
        flags += " --log-level=3";
    }
    // Every page the program shows is a local file, so all of them share one process: the
    // Flash emulator's WebAssembly module compiled for one page is found there by the next.
    if (!flags.contains("--process-per-")) {
        flags += " --process-per-site";
    }
    flags = flags.trimmed();
    if (!flags.isEmpty()) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

// While the engine starts, it reports its graphics set-up and command line at length and
// warns that the shared-context attribute came after the application object (which is on
// purpose, see shareGraphicsContexts). Those reports are dropped unless debugging; every
// other message passes on.
class QuietEngineStart final {
public:
    QuietEngineStart() {
        if (!engineDebugOutput()) {
            previous_ = qInstallMessageHandler(&QuietEngineStart::handle);
            installed_ = true;
        }
    }
    ~QuietEngineStart() {
        if (installed_) {
            qInstallMessageHandler(previous_);
        }
    }
    Q_DISABLE_COPY_MOVE(QuietEngineStart)

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtDebugMsg || type == QtInfoMsg ||
            text.contains(QLatin1String("AA_ShareOpenGLContexts"))) {
            return;
        }
        previous_(type, context, text);
    }

    static inline QtMessageHandler previous_ = nullptr;
    bool installed_ = false;
};

// Stands in for the view when the engine library is missing: the window still works and
// says why nothing plays.
class PlaceholderPageView final : public PageView {
public:
    PlaceholderPageView(QWidget* parent, const QString& reason) : label_(new QLabel(parent)) {
        label_->setAlignment(Qt::AlignCenter);
        label_->setWordWrap(true);
        label_->setText(QStringLiteral("无法显示播放页面：网页组件未能加载。\n") + reason);
    }
    ~PlaceholderPageView() override { delete label_; }

    QWidget* widget() override { return label_; }
    void load(const QString&) override {}
    void setLoadFinishedHandler(std::function<void(bool)>) override {}
    void runJavaScript(const QString&, std::function<void(const QVariant&)>) override {}
    bool receivesPageInput(const QWidget*) const override { return false; }
    bool hasEngine() const override { return false; }

private:
    QLabel* label_;
};

struct Engine {
    CreateEngineViewFunction create = nullptr;
    PrepareEngineFunction prepare = nullptr;
    PreparedProcessFunction preparedProcess = nullptr;
    QString error;
};

// Looks for the engine library: where ARLO_PAGEVIEW_ENGINE says if it is set, else next to
// the executable, else in the installed layout around the executable (its library folder as
// seen from the executable's folder), else, for a program inside the build folder, where the
// build put it.
Engine loadEngine() {
    // Started by root with its sandbox on, the engine ends the whole program at once; the
    // Player window says why instead.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") &&
        !qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS")
             .contains(QLatin1String("--no-sandbox"))) {
        Engine refused;
        refused.error = QStringLiteral(
            "Run as root, the browser engine starts only with QTWEBENGINE_DISABLE_SANDBOX=1 set.");
        return refused;
    }
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("ARLO_PAGEVIEW_ENGINE");
    if (!fromEnvironment.isEmpty()) {
        candidates << fromEnvironment;
    } else {
        const QDir executableFolder(QCoreApplication::applicationDirPath());
        candidates << executableFolder.filePath(QStringLiteral("arlo_pageview_engine"));
#ifdef ARLO_PAGEVIEW_ENGINE_INSTALLED_FILE
        candidates << QDir::cleanPath(
            executableFolder.filePath(QString::fromUtf8(ARLO_PAGEVIEW_ENGINE_INSTALLED_FILE)));
#endif
#ifdef ARLO_PAGEVIEW_ENGINE_FILE
        if (runsFromBuildTree(QString::fromUtf8(ARLO_BUILD_ROOT))) {
            candidates << QString::fromUtf8(ARLO_PAGEVIEW_ENGINE_FILE);
        }
#endif
    }
    prepareEngineCommandLine();
    {
        const QuietEngineStart quiet;
        shareGraphicsContexts();
    }
    Engine engine;
    QStringList errors;
    for (const QString& candidate : candidates) {
        // Never unloaded: views made by it may live until the program ends.
        QLibrary library(candidate);
        if (!library.load()) {
            errors << library.errorString();
            continue;
        }
        engine.create =
            reinterpret_cast<CreateEngineViewFunction>(library.resolve(kEngineEntryPoint));
        engine.prepare =
            reinterpret_cast<PrepareEngineFunction>(library.resolve(kPrepareEntryPoint));
        engine.preparedProcess =
            reinterpret_cast<PreparedProcessFunction>(library.resolve(kPreparedProcessEntryPoint));
        if (engine.create != nullptr && engine.prepare != nullptr &&
            engine.preparedProcess != nullptr) {
            return engine;
        }
        engine.create = nullptr;
        errors << library.errorString();
    }
    engine.error = errors.join(QLatin1Char('\n'));
    return engine;
}

const Engine& engine() {
    static const Engine loaded = loadEngine();
    return loaded;
}

// The engine starts with its first view or prepared page: its reports are kept quiet then.
void quietIfFirstStart(std::optional<QuietEngineStart>& quiet) {
    static bool started = false;
    if (!started) {
        quiet.emplace();
        started = true;
    }
}

PlayerFileBounds playerFileBounds() {
    return {static_cast<int>(std::min<long>(net::stallSeconds(), 24L * 3600) * 1000),
            static_cast<int>(std::min<long long>(net::pageDeadline().count(), 24LL * 3600 * 1000))};
}

}  // namespace

std::unique_ptr<PageView> createPageView(QWidget* parent) {
    if (const auto create = engine().create) {
        std::optional<QuietEngineStart> quiet;
        quietIfFirstStart(quiet);
        if (PageView* view = create(parent, playerFileBounds())) {
            return std::unique_ptr<PageView>(view);
        }
    }
    return std::make_unique<PlaceholderPageView>(parent, engineLoadError());
}

void prepareEngine(std::function<void(bool ready)> done, const QString& pagePath) {
    if (engine().create == nullptr) {
        if (done) {
            done(false);
        }
        return;
    }
    // The library is loaded; the page, which starts the engine itself, comes on a later turn.
    QTimer::singleShot(0, QCoreApplication::instance(), [done = std::move(done), pagePath] {
        std::optional<QuietEngineStart> quiet;
        quietIfFirstStart(quiet);
        engine().prepare(playerFileBounds(), pagePath, done);
    });
}

qint64 preparedRendererProcessId() {
    return engine().preparedProcess != nullptr ? engine().preparedProcess() : 0;
}

QString engineLoadError() {
    return engine().error;
}

}  // namespace arlo::pageview
