#include "ui/widgets/picture_box.h"

#include <QPainter>
#include "ui/widgets/load_picture.h"

namespace arlo::ui {

QRect pictureRect(QSize picture, QSize box) {
    if (picture.width() > box.width()) {
        picture = QSize(box.width(), picture.height() * box.width() / picture.width());
    }
    return {QPoint((box.width() - picture.width()) / 2, (box.height() - picture.height()) / 2),
            picture};
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
        picture_ = loadPicture(source_, devicePixelRatioF());
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
    painter.drawPixmap(pictureRect(picture_.deviceIndependentSize().toSize(), size()), picture_);
}

}  // namespace arlo::ui
