#include "ui/widgets/image_button.h"

#include <QPainter>
#include "ui/widgets/load_picture.h"

namespace arlo::ui {

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
    const double ratio = devicePixelRatioF();
    normal_ = loadPicture(pending_[0], ratio);
    const QPixmap hover = loadPicture(pending_[1], ratio);
    const QPixmap pressed = loadPicture(pending_[2], ratio);
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

}  // namespace arlo::ui
