#include "ui/player_window.h"

#include <QCheckBox>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QResizeEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>

#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "playback/view/plugin_hook.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {
namespace {

constexpr QPoint kFirstPosition{50, 50};

void setStatePictures(ImageButton* button, const QString& prefix) {
    button->setStatePictures(picturePath(prefix + QStringLiteral("_normal.png")),
                             picturePath(prefix + QStringLiteral("_hover.png")),
                             picturePath(prefix + QStringLiteral("_pressed.png")));
}

}  // namespace

PlayerLayout layoutPlayerWindow(int width, int height, const PlayerLayout& current) {
    PlayerLayout next = current;
    next.browser = QRect(-2, -2, width + 4, height - 80);
    const QRect& browser = next.browser;
    next.bottomBar = QRect(browser.left(), browser.top() + browser.height(), browser.width(), 15);
    const int barTop = next.bottomBar.top();
    next.previousButton.moveTo(15, barTop + 1);
    next.nextButton.moveTo(next.previousButton.left() + next.previousButton.width() + 15,
                           barTop + 1);
    next.episodeChooser.moveTo(next.nextButton.left() + next.nextButton.width() + 25, barTop + 3);
    next.episodeChooser.setWidth(width - 450);
    next.switchLabel.moveTo(next.episodeChooser.left() + next.episodeChooser.width() + 3,
                            barTop + 5);
    next.sourceChooser.moveTo(next.switchLabel.left() + next.switchLabel.width() + 3, barTop + 3);
    next.stayOnTop.moveTo(next.sourceChooser.left() + next.sourceChooser.width() + 7, barTop + 7);
    return next;
}

PlayerWindow::PlayerWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("mini播放器"));
    setFont(uiFont(kDefaultFontPixels));

    view_ = pageview::createPageView(this);
    browser_ = view_->widget();
    browser_->setObjectName(QStringLiteral("超文本浏览框1"));
    browser_->setGeometry(0, 0, 744, 377);
    browser_->setFocusPolicy(Qt::StrongFocus);

    bottomBar_ = makeFramePanel(this, QStringLiteral("外形框1"), QRect(0, 408, 120, 100));

    // Without their pictures the two buttons still say what they do.
    previousButton_ = makeImageButton(this, QStringLiteral("超级按钮1"), QRect(8, 368, 72, 32),
                                      QStringLiteral("上一集"), uiFont(kDefaultFontPixels));
    setStatePictures(previousButton_, QStringLiteral("prev"));
    nextButton_ = makeImageButton(this, QStringLiteral("超级按钮2"), QRect(96, 368, 72, 32),
                                  QStringLiteral("下一集"), uiFont(kDefaultFontPixels));
    setStatePictures(nextButton_, QStringLiteral("next"));

    episodeChooser_ =
        makeComboBox(this, QStringLiteral("组合框1"), QRect(200, 370, 376, 28), {}, uiFont(14));
    switchLabel_ = makeLabel(this, QStringLiteral("标签1"), QRect(536, 432, 56, 24),
                             QStringLiteral("切换："), uiFont(13), Qt::black);
    sourceChooser_ = makeComboBox(
        this, QStringLiteral("组合框2"), QRect(592, 432, 100, 23),
        {QStringLiteral("搜狐"), QStringLiteral("乐视"), QStringLiteral("爱奇艺")}, uiFont(13));
    stayOnTop_ = makeCheckBox(this, QStringLiteral("选择框1"), QRect(704, 432, 56, 24),
                              QStringLiteral("置顶"), uiFont(13));

    // A source label and two site buttons that the window carries but never shows or uses.
    QLabel* sourceLabel = makeLabel(this, QStringLiteral("标签6"), QRect(568, 381, 32, 18),
                                    QStringLiteral("来源："), uiFont(kDefaultFontPixels));
    sourceLabel->hide();
    ImageButton* iqiyiButton =
        makeImageButton(this, QStringLiteral("超级按钮3"), QRect(610, 370, 32, 32),
                        QStringLiteral("爱奇艺"), uiFont(kDefaultFontPixels));
    setStatePictures(iqiyiButton, QStringLiteral("icon_iqiyi"));
    ImageButton* letvButton =
        makeImageButton(this, QStringLiteral("超级按钮4"), QRect(650, 370, 32, 32),
                        QStringLiteral("乐视"), uiFont(kDefaultFontPixels));
    setStatePictures(letvButton, QStringLiteral("icon_letv"));
    for (ImageButton* button : {iqiyiButton, letvButton}) {
        button->hide();
        button->setEnabled(false);
    }

    hookTimer_ = makeTimer(this, QStringLiteral("时钟1"));
    hooks_ = std::make_unique<pageview::PlayerHooks>(*view_, *hookTimer_);

    connect(previousButton_, &QPushButton::clicked, this, &PlayerWindow::previousClicked);
    connect(nextButton_, &QPushButton::clicked, this, &PlayerWindow::nextClicked);
    connect(episodeChooser_, &QComboBox::activated, this, &PlayerWindow::episodeSelectionChanged);
    connect(sourceChooser_, &QComboBox::activated, this, &PlayerWindow::sourceSelectionChanged);
    // A closed drop-down hands the keyboard back to the window, so no chooser keeps a focus
    // mark over the page.
    for (ComboBox* chooser : {episodeChooser_, sourceChooser_}) {
        connect(chooser, &ComboBox::dropDownClosed, this, [this] { setFocus(); });
    }
    connect(stayOnTop_, &QCheckBox::clicked, this, [this](bool ticked) { setStayOnTop(ticked); });
    bindKeys();
    view_->setFullScreenHandler([this](bool on) { showFullScreenState(on); });

    setMouseTracking(true);
    setOuterGeometry(this, kFirstPosition, kPlayerInitialSize, false);
    applyOuterSizeLimits();
}

// The keys act wherever the keyboard is in the window, the page included: the page's input
// widget is one of the window's own.
void PlayerWindow::bindKeys() {
    const auto bind = [this](const QList<QKeySequence>& keys, auto action) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
        return shortcut;
    };
    bind({QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_PageUp)},
         &PlayerWindow::previousClicked);
    bind({QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(Qt::Key_PageDown)},
         &PlayerWindow::nextClicked);
    bind({QKeySequence(Qt::Key_F11)}, [this] { setFullScreen(!fullScreen_); });
    // Outside full screen Esc stays the page's.
    leaveFullScreenKey_ = bind({QKeySequence(Qt::Key_Escape)}, [this] { setFullScreen(false); });
    leaveFullScreenKey_->setEnabled(false);
    previousButton_->setToolTip(QStringLiteral("上一集（Alt+←，PageUp）"));
    nextButton_->setToolTip(QStringLiteral("下一集（Alt+→，PageDown）"));
}

PlayerWindow::~PlayerWindow() {
    // The page's input widget goes back to its normal handling before the window goes.
    hooks_->removePluginHook();
}

void PlayerWindow::showPlayerPage(const std::string& pagePath, std::string_view source) {
    hooks_->removePluginHook();
    view_->load(QString::fromStdString(pagePath));
    if (playback::armsHookTimer(source)) {
        hooks_->arm();
    }
}

void PlayerWindow::setSources(const std::vector<std::string>& names) {
    const QSignalBlocker quiet(sourceChooser_);
    sourceChooser_->clear();
    for (const std::string& name : names) {
        sourceChooser_->addItem(QString::fromStdString(name));
    }
}

void PlayerWindow::selectSource(int index) {
    const QSignalBlocker quiet(sourceChooser_);
    sourceChooser_->setCurrentIndex(index);
}

void PlayerWindow::setEpisodes(const std::vector<playback::EpisodeItem>& items) {
    const QSignalBlocker quiet(episodeChooser_);
    episodeChooser_->clear();
    for (const playback::EpisodeItem& item : items) {
        episodeChooser_->addItem(QString::fromStdString(item.text), item.number);
    }
}

void PlayerWindow::selectEpisode(int index) {
    const QSignalBlocker quiet(episodeChooser_);
    episodeChooser_->setCurrentIndex(index);
}

int PlayerWindow::selectedEpisodeIndex() const {
    return episodeChooser_->currentIndex();
}

int PlayerWindow::episodeCount() const {
    return episodeChooser_->count();
}

playback::EpisodeItem PlayerWindow::episodeAt(int index) const {
    if (index < 0 || index >= episodeChooser_->count()) {
        return {};
    }
    return {episodeChooser_->itemText(index).toStdString(),
            episodeChooser_->itemData(index).toInt()};
}

void PlayerWindow::restoreAndActivate() {
    if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    activationWanted_ = true;
    activateWindow();
}

PlayerLayout PlayerWindow::controlLayout() const {
    return {browser_->geometry(),       bottomBar_->geometry(),      previousButton_->geometry(),
            nextButton_->geometry(),    episodeChooser_->geometry(), switchLabel_->geometry(),
            sourceChooser_->geometry(), stayOnTop_->geometry()};
}

void PlayerWindow::applyLayout(const PlayerLayout& layout) {
    browser_->setGeometry(layout.browser);
    bottomBar_->setGeometry(layout.bottomBar);
    previousButton_->setGeometry(layout.previousButton);
    nextButton_->setGeometry(layout.nextButton);
    episodeChooser_->setGeometry(layout.episodeChooser);
    switchLabel_->setGeometry(layout.switchLabel);
    sourceChooser_->setGeometry(layout.sourceChooser);
    stayOnTop_->setGeometry(layout.stayOnTop);
}

// Outer sizes include the frame that the window system draws; before the window is shown,
// and on systems that draw none, the frame is empty and the client area has the whole size.
// Back from full screen, the window manager frames the window again some time after it has
// its size back; until then the frame it had before stands in.
QSize PlayerWindow::frameExtent() const {
    const QSize frame = frameGeometry().size() - size();
    return frame.isNull() && !fullScreen_ ? normalFrame_ : frame;
}

void PlayerWindow::applyOuterSizeLimits() {
    const QSize frame = frameExtent();
    setMinimumSize(kPlayerMinimumSize - frame);
    setMaximumSize(kPlayerMaximumSize - frame);
}

bool PlayerWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowActivate:
            activationWanted_ = false;
            emit activated();
            break;
        case QEvent::WinIdChange:
            // The page view re-creates the native window when it starts drawing; a request
            // to activate the window it replaced is lost with it, so it is made again.
            if (activationWanted_ && isVisible()) {
                activateWindow();
            }
            break;
        case QEvent::Show:
        case QEvent::Move:
            applyOuterSizeLimits();  // the frame is known once the window system placed it
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

void PlayerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fullScreen_) {
        browser_->setGeometry(rect());
        return;
    }
    const QSize outer = event->size() + frameExtent();
    applyLayout(layoutPlayerWindow(outer.width(), outer.height(), controlLayout()));
}

void PlayerWindow::mouseMoveEvent(QMouseEvent* event) {
    // A player that hid the cursor must not leave it hidden over the window.
    while (QGuiApplication::overrideCursor() != nullptr &&
           QGuiApplication::overrideCursor()->shape() == Qt::BlankCursor) {
        QGuiApplication::restoreOverrideCursor();
    }
    QWidget::mouseMoveEvent(event);
}

void PlayerWindow::setFullScreen(bool on) {
    if (!on && fullScreen_) {
        view_->leaveFullScreen();
    }
    showFullScreenState(on);
}

void PlayerWindow::showFullScreenState(bool on) {
    if (on == fullScreen_) {
        return;
    }
    fullScreen_ = on;
    leaveFullScreenKey_->setEnabled(on);
    if (on) {
        normalGeometry_ = geometry();
        normalFrame_ = frameExtent();
        setBarVisible(false);
        showFullScreen();
        browser_->setGeometry(rect());
        return;
    }
    showNormal();
    setGeometry(normalGeometry_);
    setBarVisible(true);
    const QSize outer = size() + frameExtent();
    applyLayout(layoutPlayerWindow(outer.width(), outer.height(), controlLayout()));
}

void PlayerWindow::setBarVisible(bool visible) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{bottomBar_, previousButton_, nextButton_, episodeChooser_,
                                         switchLabel_, sourceChooser_, stayOnTop_}) {
        control->setVisible(visible);
    }
}

void PlayerWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // The bottom bar and the window's ground around its controls.
    setFullScreen(!fullScreen_);
    QWidget::mouseDoubleClickEvent(event);
}

void PlayerWindow::changeEvent(QEvent* event) {
    // The window manager may take the window out of full screen by its own means.
    if (event->type() == QEvent::WindowStateChange && fullScreen_ &&
        !windowState().testFlag(Qt::WindowFullScreen)) {
        setFullScreen(false);
    }
    QWidget::changeEvent(event);
}

void PlayerWindow::setStayOnTop(bool onTop) {
    // A Wayland client cannot put itself above other windows, nor place itself: the wish goes
    // to the compositor as a hint of the native window, which stays as it is (made anew, it
    // would come back wherever the compositor puts it). Most compositors ignore the hint.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        windowHandle() != nullptr) {
        windowHandle()->setFlag(Qt::WindowStaysOnTopHint, onTop);
        return;
    }
    const QRect client = geometry();
    const bool wasVisible = isVisible();
    // Changing the flag makes the native window anew, hidden. It comes back with its client
    // area where it was, which a window manager frames as before. (Given the frame's position
    // instead, the toolkit takes it for the client's as soon as it thinks it knows the new
    // window's frame, which under some window managers it does before the window is framed:
    // the window would creep up by its title bar.)
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    setGeometry(client);
    if (wasVisible) {
        show();
    }
    if (onTop) {
        raise();
        activateWindow();
    }
}

}  // namespace arlo::ui
