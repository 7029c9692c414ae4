// The page view on Qt WebEngine. Built as a library of its own that the program loads on
// first use, so that starting the program does not start the browser engine.

#include <QColor>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "playback/view/page_view.h"

namespace arlo::pageview {
namespace {

// A page that never opens another window: pop-ups, window.open and target=_blank links are
// refused, and the page stays where it is.
class SingleWindowPage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
};

class WebEnginePageView final : public PageView {
public:
    explicit WebEnginePageView(QWidget* parent) : view_(new QWebEngineView(parent)) {
        auto* page = new SingleWindowPage(view_);
        // The page's own colour: nothing flashes between one page and the next.
        page->setBackgroundColor(Qt::white);
        page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        view_->setPage(page);
        QObject::connect(view_, &QWebEngineView::loadFinished, view_, [this](bool ok) {
            if (loadFinished_) {
                loadFinished_(ok);
            }
        });
    }
    ~WebEnginePageView() override { delete view_.data(); }

    QWidget* widget() override { return view_; }

    void load(const QString& localPath) override {
        // A navigation to the same address still reads the file again: there is no cache
        // for local files and the engine treats it as a new load.
        view_->load(QUrl::fromLocalFile(localPath));
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

private:
    QPointer<QWebEngineView> view_;
    std::function<void(bool)> loadFinished_;
};

}  // namespace
}  // namespace arlo::pageview

extern "C" Q_DECL_EXPORT arlo::pageview::PageView* arlo_create_page_view(QWidget* parent) {
    return new arlo::pageview::WebEnginePageView(parent);
}
