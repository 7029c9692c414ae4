#include "ui/trailer_window.h"

#include <QKeySequence>
#include <QShortcut>

#include "catalogue/catalogue.h"
#include "deploy/deploy.h"
#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

TrailerWindow::TrailerWindow(const std::string& pagePath, QWidget* parent)
    : QDialog(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(catalogue::Catalogue::builtIn().trailerTitle()));
    setFont(uiFont(kDefaultFontPixels));

    view_ = pageview::createPageView(this);
    QWidget* browser = view_->widget();
    browser->setObjectName(QStringLiteral("超文本浏览框1"));
    browser->setGeometry(-2, -2, 1124, 623);
    browser->setFocusPolicy(Qt::StrongFocus);

    // The page view takes the keys it has the focus for, Escape too: the window catches
    // Escape before it does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QDialog::reject);

    // The page does not follow a resize, so the window keeps its size.
    setOuterGeometry(this, QPoint(50, 50), kTrailerWindowSize, true);
    view_->load(QString::fromStdString(pagePath));
}

TrailerWindow::~TrailerWindow() = default;

TrailerWindow* TrailerWindow::open(const std::string& pagePath, QWidget* parent) {
    playback::writePlayerPage(pagePath, playback::PageTemplate::SohuId,
                              catalogue::Catalogue::builtIn().trailerPlayId());
    auto* window = new TrailerWindow(pagePath, parent);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    return window;
}

QString TrailerWindow::layoutAddress() {
    return QString::fromUtf8(deploy::kPlayerHost) + QStringLiteral("/sohu_20140917.swf?id=") +
           QString::fromStdString(catalogue::Catalogue::builtIn().trailerPlayId()) +
           QStringLiteral(
               "&topBar=0&autoplay=true&rewriteType=5&shareBtn=0&likeBtn=0&topBarFull=0&"
               "topBarNor=0&sogouBtn=0");
}

}  // namespace arlo::ui
