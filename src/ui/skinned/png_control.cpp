#include "ui/skinned/png_control.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "ui/skinned/draw_state.h"
#include "ui/skinned/placement.h"

namespace arlo::skinned {
namespace {

int intProperty(const QObject* o, const char* name) {
    return o->property(name).toInt();
}

QImage imageProperty(const QObject* o, const char* name) {
    return o->property(name).value<QImage>();
}

void setImageProperty(QObject* o, const char* name, const QImage& image) {
    // A null picture is no picture: the property goes, so it reads as missing.
    o->setProperty(name, image.isNull() ? QVariant() : QVariant::fromValue(image));
}

// Non-zero while a control is capturing what lies beneath it. Controls painted into such a
// capture show their last composition instead of capturing in turn.
thread_local int captureDepth = 0;

// Layer one: the parent's own painting and the siblings stacked below the control, over the
// control's area. Parts nobody paints stay transparent, so what the window system shows
// beneath still shows through.
QImage captureBeneath(QWidget* control) {
    const qreal ratio = control->devicePixelRatioF();
    QImage beneath(control->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    beneath.setDevicePixelRatio(ratio);
    beneath.fill(Qt::transparent);
    QWidget* parent = control->parentWidget();
    if (parent == nullptr || control->isWindow()) {
        return beneath;
    }
    const QRect area = control->geometry();
    ++captureDepth;
    parent->render(&beneath, QPoint(), QRegion(area), QWidget::RenderFlags());
    for (QObject* child : parent->children()) {
        if (child == control) {
            break;  // children are in stacking order: the rest lie above
        }
        auto* sibling = qobject_cast<QWidget*>(child);
        if (sibling == nullptr || sibling->isWindow() || !sibling->isVisible()) {
            continue;
        }
        const QRect overlap = sibling->geometry() & area;
        if (overlap.isEmpty()) {
            continue;
        }
        sibling->render(&beneath, overlap.topLeft() - area.topLeft(),
                        QRegion(overlap.translated(-sibling->pos())), QWidget::DrawChildren);
    }
    --captureDepth;
    return beneath;
}

QImage currentImage(const QWidget* control) {
    if (intProperty(control, kPropType) == kTypePictureBox) {
        return imageProperty(control, kPropBackImage);
    }
    QImage image;
    switch (imageSlotForState(intProperty(control, kPropDrawState))) {
        case ImageSlot::Hover:
            image = imageProperty(control, kPropHoverImage);
            break;
        case ImageSlot::Pressed:
            image = imageProperty(control, kPropPressedImage);
            break;
        case ImageSlot::Disabled:
            image = imageProperty(control, kPropDisabledImage);
            break;
        case ImageSlot::Normal:
            break;
    }
    return image.isNull() ? imageProperty(control, kPropNormalImage) : image;
}

// Layers two and three: the picture by state and placement over the captured background,
// off screen, then one copy onto the control.
void compose(QWidget* control, QPainter& target) {
    const QVariant cached = control->property(kPropCache);
    if (!cached.isValid()) {
        return;
    }
    QImage frame = cached.value<QImage>();
    const QImage image = currentImage(control);
    if (!image.isNull()) {
        const QSize logical = image.deviceIndependentSize().toSize();
        const Placement at =
            placeImage({logical.width(), logical.height()}, {control->width(), control->height()},
                       intProperty(control, kPropPlacement));
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(at.x, at.y, at.width, at.height), image);
    }
    target.drawImage(QPoint(0, 0), frame);
}

void paint(QWidget* control) {
    if (captureDepth == 0) {
        control->setProperty(kPropCache, captureBeneath(control));
    }
    QPainter painter(control);
    compose(control, painter);
}

bool isDown(const QWidget* control) {
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    return button != nullptr && button->isDown();
}

void apply(QWidget* control, std::optional<DrawStateChange> change) {
    if (!change) {
        return;
    }
    if (change->state != intProperty(control, kPropDrawState)) {
        control->setProperty(kPropDrawState, change->state);
        control->update();
    } else if (change->forced) {
        control->update();
    }
}

void apply(QWidget* control, ButtonEvent event) {
    apply(control, nextDrawState(intProperty(control, kPropDrawState), event,
                                 intProperty(control, kPropFocused) != 0));
}

bool isLeftButton(const QEvent* event) {
    return static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
}

// Takes over a control's painting and, for buttons, follows its state.
class ControlHook final : public QObject {
public:
    explicit ControlHook(QWidget* control) : QObject(control) {
        setObjectName(QString::fromLatin1(kControlHookName));
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* control = qobject_cast<QWidget*>(watched);
        if (control == nullptr) {
            return false;
        }
        if (event->type() == QEvent::Paint) {
            paint(control);
            return true;
        }
        if (intProperty(control, kPropType) != kTypeButton) {
            return false;
        }
        switch (event->type()) {
            case QEvent::FocusIn:
                control->setProperty(kPropFocused, 1);
                apply(control, ButtonEvent::FocusIn);
                return false;
            case QEvent::FocusOut:
                control->setProperty(kPropFocused, 0);
                apply(control, ButtonEvent::FocusOut);
                return false;
            case QEvent::EnabledChange:
                apply(control, control->isEnabled() ? ButtonEvent::Enabled : ButtonEvent::Disabled);
                return false;
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseButtonRelease:
            case QEvent::Leave:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                return buttonInput(control, event);
            default:
                return false;
        }
    }

private:
    // The widget handles the event first (it may go down or come up, and it emits its
    // signals); then the look follows.
    static bool buttonInput(QWidget* control, QEvent* event) {
        const QPointer<QWidget> alive(control);
        const int stateOnArrival = intProperty(control, kPropDrawState);
        const bool wasDown = isDown(control);
        const bool handled = static_cast<QObject*>(control)->event(event);
        if (alive.isNull()) {
            return true;  // a click handler removed the button
        }
        if (isDown(control) != wasDown) {
            apply(control, wasDown ? ButtonEvent::Up : ButtonEvent::Down);
        }
        switch (event->type()) {
            case QEvent::MouseMove:
                apply(control, ButtonEvent::MouseMove);
                break;
            case QEvent::MouseButtonPress:
                if (isLeftButton(event)) {
                    apply(control, ButtonEvent::LeftPress);
                }
                break;
            case QEvent::MouseButtonRelease:
                if (isLeftButton(event)) {
                    apply(control, nextDrawState(stateOnArrival, ButtonEvent::LeftRelease,
                                                 intProperty(control, kPropFocused) != 0));
                }
                break;
            case QEvent::Leave:
                apply(control, ButtonEvent::MouseLeave);
                break;
            default:
                break;
        }
        return handled;
    }
};

// Watches the parent of skinned controls: when its look changes as a whole, what lies
// beneath each of them changed too.
class ParentHook final : public QObject {
public:
    explicit ParentHook(QWidget* parent) : QObject(parent) {
        setObjectName(QString::fromLatin1(kParentHookName));
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Resize:
            case QEvent::PaletteChange:
            case QEvent::StyleChange:
                for (QObject* child : watched->children()) {
                    auto* widget = qobject_cast<QWidget*>(child);
                    if (widget != nullptr && intProperty(widget, kPropType) != 0) {
                        widget->update();
                    }
                }
                break;
            default:
                break;
        }
        return false;
    }
};

// Hooks a widget once per kind of hook; later calls find the hook and leave it alone. (A
// widget may be both a skinned control and the parent of others.)
template <typename Hook>
void hookOnce(QWidget* widget, const char* hookName) {
    if (widget->findChild<QObject*>(QString::fromLatin1(hookName), Qt::FindDirectChildrenOnly)) {
        return;
    }
    widget->installEventFilter(new Hook(widget));
    widget->setProperty(kPropHooked, 1);
}

}  // namespace

QImage loadImageFromBytes(const QByteArray& data, int ratio) {
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return {};
    }
    QImageReader reader(&buffer);
    QImage image = reader.read();
    image.setDevicePixelRatio(ratio);
    return image;
}

bool PngControl::attach(QWidget* control) {
    if (control == nullptr) {
        return false;
    }
    QWidget* parent = control->parentWidget();
    if (parent != nullptr && intProperty(parent, kPropType) == 0) {
        hookOnce<ParentHook>(parent, kParentHookName);
    }
    // The control paints everything itself, over what its parent painted beneath it.
    control->setAutoFillBackground(false);
    control->setAttribute(Qt::WA_OpaquePaintEvent, false);
    widget_ = control;
    return true;
}

void PngControl::setWindowProperty(const char* name, int value) const {
    if (widget_) {
        widget_->setProperty(name, value);
    }
}

int PngControl::windowProperty(const char* name) const {
    return widget_ ? intProperty(widget_, name) : 0;
}

bool PngControl::sendEvent(QEvent* event) const {
    return widget_ ? QCoreApplication::sendEvent(widget_, event) : false;
}

void PngControl::setToolTip(const QString& text, std::optional<int> option) const {
    Q_UNUSED(option);
    if (!widget_) {
        return;
    }
    if (intProperty(widget_, kPropToolTip) == 0) {
        widget_->setProperty(kPropToolTip, 1);
    }
    widget_->setToolTip(text);
}

void PngControl::move(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                      std::optional<int> height, bool noRedraw) const {
    if (!widget_) {
        return;
    }
    const QRect now = widget_->geometry();
    const QRect next(x.value_or(now.x()), y.value_or(now.y()), width.value_or(now.width()),
                     height.value_or(now.height()));
    if (noRedraw) {
        widget_->setUpdatesEnabled(false);
    }
    widget_->setGeometry(next);
    if (noRedraw) {
        widget_->setUpdatesEnabled(true);
    }
}

void PngControl::repaint() const {
    if (widget_) {
        widget_->update();
    }
}

void PngControl::refresh() const {
    if (!widget_) {
        return;
    }
    if (QWidget* parent = widget_->parentWidget()) {
        parent->update(widget_->geometry());
    }
    widget_->update();
}

QWidget* PngPictureBox::create(QWidget* parent, int x, int y, int width, int height) {
    auto* box = new QWidget(parent);
    box->setGeometry(x, y, width, height);
    box->show();
    attachAsPictureBox(box);
    return box;
}

bool PngPictureBox::attachAsPictureBox(QWidget* control, const QImage& backImage) {
    if (!attach(control)) {
        return false;
    }
    control->setProperty(kPropType, kTypePictureBox);
    hookOnce<ControlHook>(control, kControlHookName);
    if (!backImage.isNull()) {
        setBackImage(backImage);
    }
    return true;
}

void PngPictureBox::setBackImage(const QImage& image) const {
    if (widget_) {
        setImageProperty(widget_, kPropBackImage, image);
        refresh();
    }
}

void PngPictureBox::setBackImageFromBytes(const QByteArray& data) const {
    setBackImage(loadImageFromBytes(data));
}

void PngPictureBox::setPlacementMode(int mode) const {
    setWindowProperty(kPropPlacement, mode);
}

QWidget* PngButton::create(QWidget* parent, int x, int y, int width, int height,
                           const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(x, y, width, height);
    button->show();
    attachAsButton(button);
    return button;
}

bool PngButton::attachAsButton(QWidget* control, const QImage& normalImage) {
    if (!attach(control)) {
        return false;
    }
    control->setProperty(kPropType, kTypeButton);
    if (!normalImage.isNull()) {
        setImageProperty(control, kPropNormalImage, normalImage);
    }
    control->setMouseTracking(true);  // hover needs moves without a button held
    hookOnce<ControlHook>(control, kControlHookName);
    refresh();
    return true;
}

void PngButton::setImages(std::optional<QImage> normal, std::optional<QImage> hover,
                          std::optional<QImage> pressed, std::optional<QImage> disabled) const {
    if (!widget_) {
        return;
    }
    const std::pair<const char*, const std::optional<QImage>&> images[] = {
        {kPropNormalImage, normal},
        {kPropHoverImage, hover},
        {kPropPressedImage, pressed},
        {kPropDisabledImage, disabled},
    };
    for (const auto& [name, image] : images) {
        if (image) {
            setImageProperty(widget_, name, *image);
        }
    }
}

void PngButton::setImagesFromBytes(std::optional<QByteArray> normal,
                                   std::optional<QByteArray> hover,
                                   std::optional<QByteArray> pressed,
                                   std::optional<QByteArray> disabled) const {
    auto load = [](const std::optional<QByteArray>& data) -> std::optional<QImage> {
        if (!data) {
            return std::nullopt;
        }
        return loadImageFromBytes(*data);
    };
    setImages(load(normal), load(hover), load(pressed), load(disabled));
}

void PngButton::setPlacementMode(int mode) const {
    setWindowProperty(kPropPlacement, mode);
}

}  // namespace arlo::skinned
