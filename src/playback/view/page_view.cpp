#include "playback/view/page_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLibrary>
#include <QStringList>

namespace arlo::pageview {
namespace {

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
    QString error;
};

// Looks for the engine library: where ARLO_PAGEVIEW_ENGINE says if it is set, else next to
// the executable, else where the build put it.
Engine loadEngine() {
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("ARLO_PAGEVIEW_ENGINE");
    if (!fromEnvironment.isEmpty()) {
        candidates << fromEnvironment;
    } else {
        candidates << QDir(QCoreApplication::applicationDirPath())
                          .filePath(QStringLiteral("arlo_pageview_engine"));
#ifdef ARLO_PAGEVIEW_ENGINE_FILE
        candidates << QString::fromUtf8(ARLO_PAGEVIEW_ENGINE_FILE);
#endif
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
        if (engine.create != nullptr) {
            return engine;
        }
        errors << library.errorString();
    }
    engine.error = errors.join(QLatin1Char('\n'));
    return engine;
}

const Engine& engine() {
    static const Engine loaded = loadEngine();
    return loaded;
}

}  // namespace

std::unique_ptr<PageView> createPageView(QWidget* parent) {
    if (const auto create = engine().create) {
        if (PageView* view = create(parent)) {
            return std::unique_ptr<PageView>(view);
        }
    }
    return std::make_unique<PlaceholderPageView>(parent, engineLoadError());
}

QString engineLoadError() {
    return engine().error;
}

void prepareApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace arlo::pageview
