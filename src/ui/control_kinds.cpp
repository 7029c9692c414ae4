#include "ui/control_kinds.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include "ui/ui_look.h"

namespace arlo::ui {

namespace {

constexpr int kWheelNotch = 120;

template <class W>
W* named(W* widget, const QString& name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QPixmap loadPicture(const QString& path) {
    QPixmap picture;
    if (!path.isEmpty()) {
        picture.load(path);
    }
    return picture;
}

// Corrects a window's size once the window system has told us how thick its frame is, so
// that the frame plus the client area make up the intended outer size.
class OuterSizeKeeper final : public QObject {
public:
    OuterSizeKeeper(QWidget* window, QSize outer, bool fixed)
        : QObject(window), window_(window), outer_(outer), fixed_(fixed) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && !adjusted_ &&
            (event->type() == QEvent::Show || event->type() == QEvent::Move ||
             event->type() == QEvent::Resize)) {
            const QMargins frame = window_->windowHandle() != nullptr
                                       ? window_->windowHandle()->frameMargins()
                                       : QMargins();
            if (!frame.isNull()) {
                adjusted_ = true;
                const QSize client(outer_.width() - frame.left() - frame.right(),
                                   outer_.height() - frame.top() - frame.bottom());
                QTimer::singleShot(0, window_, [window = window_, client, fixed = fixed_] {
                    if (fixed) {
                        window->setFixedSize(client);
                    } else {
                        window->resize(client);
                    }
                });
            }
        }
        return false;
    }

private:
    QWidget* window_;
    QSize outer_;
    bool fixed_;
    bool adjusted_ = false;
};

}  // namespace

QRect pictureRect(QSize picture, QSize box) {
    if (picture.width() > box.width()) {
        picture = QSize(box.width(), picture.height() * box.width() / picture.width());
    }
    return {QPoint((box.width() - picture.width()) / 2, (box.height() - picture.height()) / 2),
            picture};
}

MouseWatcher::MouseWatcher(QWidget* widget, bool consumeWheel)
    : QObject(widget), consumeWheel_(consumeWheel) {
    setObjectName(QStringLiteral("mouseWatcher"));
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

MouseWatcher* MouseWatcher::of(QWidget* widget, bool consumeWheel) {
    auto* watcher = widget->findChild<MouseWatcher*>(QStringLiteral("mouseWatcher"),
                                                     Qt::FindDirectChildrenOnly);
    if (watcher == nullptr) {
        watcher = new MouseWatcher(widget, consumeWheel);
    }
    watcher->consumeWheel_ = watcher->consumeWheel_ || consumeWheel;
    return watcher;
}

bool MouseWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parent()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit moved(mouse->position().toPoint(), mouse->globalPosition().toPoint());
            break;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                emit leftPressed(mouse->position().toPoint());
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                emit leftReleased(mouse->position().toPoint());
            }
            break;
        }
        case QEvent::Wheel: {
            // Touchpads send fractions of a notch; they add up to whole notches.
            wheelRemainder_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
            const int notches = wheelRemainder_ / kWheelNotch;
            wheelRemainder_ -= notches * kWheelNotch;
            if (notches != 0) {
                emit wheelTurned(notches);
            }
            return consumeWheel_;
        }
        default:
            break;
    }
    return false;
}

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit leftPressed();
        return;
    }
    QLabel::mousePressEvent(event);
}

void EditBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    emit gotFocus();
}

void EditBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit lostFocus();
}

void ComboBox::hidePopup() {
    QComboBox::hidePopup();
    emit dropDownClosed();
}

void PictureBox::setPicture(const QPixmap& picture) {
    picture_ = picture;
    source_.clear();
    loaded_ = true;
    update();
}

void PictureBox::setPicture(const QString& path) {
    // Many boxes start hidden; decoding their pictures would only slow the start.
    picture_ = QPixmap();
    source_ = path;
    loaded_ = false;
    update();
}

const QPixmap& PictureBox::picture() const {
    if (!loaded_) {
        loaded_ = true;
        picture_ = loadPicture(source_);
    }
    return picture_;
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture().isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // A box with a picture is opaque: it hides whatever lies beneath it.
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawPixmap(pictureRect(picture_.size(), size()), picture_);
}

void DrawingPanel::setBackgroundPicture(const QPixmap& picture) {
    picture_ = picture;
    source_.clear();
    update();
    emit backgroundChanged();
}

void DrawingPanel::setBackgroundPicture(const QString& path) {
    picture_ = loadPicture(path);
    source_ = path;
    update();
    emit backgroundChanged();
}

void DrawingPanel::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), picture_);
}

FramePanel::FramePanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    QPalette look = palette();
    look.setColor(QPalette::WindowText, QColor(0xA0, 0xA0, 0xA0));
    setPalette(look);
}

void ImageButton::setStatePictures(const QPixmap& normal, const QPixmap& hover,
                                   const QPixmap& pressed) {
    pending_.clear();
    normal_ = normal;
    hover_ = hover.isNull() ? normal : hover;
    pressed_ = pressed.isNull() ? normal : pressed;
    setAttribute(Qt::WA_Hover, hasStatePictures());
    update();
}

void ImageButton::setStatePictures(const QString& normal, const QString& hover,
                                   const QString& pressed) {
    pending_ = {normal, hover, pressed};
    normal_ = hover_ = pressed_ = QPixmap();
    setAttribute(Qt::WA_Hover, true);
    update();
}

bool ImageButton::hasStatePictures() const {
    loadPendingPictures();
    return !normal_.isNull();
}

void ImageButton::loadPendingPictures() const {
    if (pending_.isEmpty()) {
        return;
    }
    normal_ = loadPicture(pending_[0]);
    const QPixmap hover = loadPicture(pending_[1]);
    const QPixmap pressed = loadPicture(pending_[2]);
    hover_ = hover.isNull() ? normal_ : hover;
    pressed_ = pressed.isNull() ? normal_ : pressed;
    pending_.clear();
}

void ImageButton::paintEvent(QPaintEvent* event) {
    if (!hasStatePictures()) {
        QPushButton::paintEvent(event);
        return;
    }
    const QPixmap& picture = isDown() ? pressed_ : underMouse() ? hover_ : normal_;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), picture);
}

Label* makeLabel(QWidget* parent, const QString& name, QRect geometry, const QString& caption,
                 const QFont& font, const QColor& colour, bool wordWrap) {
    auto* label = named(new Label(parent), name, geometry);
    label->setText(caption);
    label->setFont(font);
    label->setWordWrap(wordWrap);
    label->setAlignment(wordWrap ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter);
    setTextColour(label, colour);
    return label;
}

Label* makeTransparentLabel(QWidget* parent, const QString& name, QRect geometry,
                            const QString& caption, const QFont& font) {
    Label* label = makeLabel(parent, name, geometry, caption, font);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->raise();
    return label;
}

HyperlinkLabel* makeHyperlink(QWidget* parent, const QString& name, QRect geometry,
                              const QString& caption, const QFont& font) {
    auto* link = named(new HyperlinkLabel(parent), name, geometry);
    QFont underlined = font;
    underlined.setUnderline(true);
    link->setFont(underlined);
    link->setText(caption);
    link->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextColour(link, QColor(0x00, 0x00, 0xFF));
    return link;
}

EditBox* makeEditBox(QWidget* parent, const QString& name, QRect geometry, const QString& content,
                     const QFont& font, const QColor& colour) {
    auto* edit = named(new EditBox(parent), name, geometry);
    edit->setFont(font);
    edit->setText(content);
    setTextColour(edit, colour);
    return edit;
}

QPlainTextEdit* makeMultiLineEditBox(QWidget* parent, const QString& name, QRect geometry,
                                     const QString& content, const QFont& font,
                                     const QColor& colour) {
    auto* edit = named(new QPlainTextEdit(parent), name, geometry);
    edit->setFont(font);
    edit->setPlainText(content);
    setTextColour(edit, colour);
    return edit;
}

ComboBox* makeComboBox(QWidget* parent, const QString& name, QRect geometry,
                       const QStringList& items, const QFont& font) {
    auto* combo = named(new ComboBox(parent), name, geometry);
    combo->setFont(font);
    combo->addItems(items);
    return combo;
}

PictureBox* makePictureBox(QWidget* parent, const QString& name, QRect geometry,
                           const QString& picture) {
    auto* box = named(new PictureBox(parent), name, geometry);
    if (!picture.isEmpty()) {
        box->setPicture(picture);
    }
    return box;
}

DrawingPanel* makeDrawingPanel(QWidget* parent, const QString& name, QRect geometry) {
    return named(new DrawingPanel(parent), name, geometry);
}

FramePanel* makeFramePanel(QWidget* parent, const QString& name, QRect geometry) {
    return named(new FramePanel(parent), name, geometry);
}

QGroupBox* makeGroupBox(QWidget* parent, const QString& name, QRect geometry) {
    auto* group = named(new QGroupBox(parent), name, geometry);
    group->setFont(uiFont(kDefaultFontPixels));
    return group;
}

QPushButton* makePushButton(QWidget* parent, const QString& name, QRect geometry,
                            const QString& caption, const QFont& font) {
    auto* button = named(new QPushButton(caption, parent), name, geometry);
    button->setFont(font);
    return button;
}

ImageButton* makeImageButton(QWidget* parent, const QString& name, QRect geometry,
                             const QString& caption, const QFont& font) {
    auto* button = named(new ImageButton(parent), name, geometry);
    button->setText(caption);
    button->setFont(font);
    return button;
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& name, QRect geometry,
                        const QString& caption, const QFont& font) {
    auto* box = named(new QCheckBox(caption, parent), name, geometry);
    box->setFont(font);
    return box;
}

QProgressBar* makeProgressBar(QWidget* parent, const QString& name, QRect geometry, int maximum) {
    auto* bar = named(new QProgressBar(parent), name, geometry);
    bar->setRange(0, maximum);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QTimer* makeTimer(QObject* owner, const QString& name) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(name);
    return timer;
}

QStackedWidget* makePageContainer(QWidget* parent, const QString& name, QRect geometry, int pages) {
    auto* container = named(new QStackedWidget(parent), name, geometry);
    for (int page = 0; page < pages; ++page) {
        container->addWidget(new QWidget(container));
    }
    container->setCurrentIndex(0);
    return container;
}

QScrollBar* makeScrollBar(QWidget* parent, const QString& name, QRect geometry) {
    auto* bar = named(new QScrollBar(Qt::Vertical, parent), name, geometry);
    MouseWatcher::of(bar, true);
    return bar;
}

void setOuterGeometry(QWidget* window, QPoint topLeft, QSize outerSize, bool fixed) {
    if (fixed) {
        window->setFixedSize(outerSize);
    } else {
        window->resize(outerSize);
    }
    window->move(topLeft);
    window->installEventFilter(new OuterSizeKeeper(window, outerSize, fixed));
}

}  // namespace arlo::ui
