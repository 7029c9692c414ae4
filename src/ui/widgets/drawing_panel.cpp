#include "ui/widgets/drawing_panel.h"

#include <QPainter>
#include "ui/widgets/load_picture.h"

namespace arlo::ui {

void DrawingPanel::setBackgroundPicture(const QPixmap& picture) {
    picture_ = picture;
    source_.clear();
    update();
    emit backgroundChanged();
}

void DrawingPanel::setBackgroundPicture(const QString& path) {
    picture_ = loadPicture(path, devicePixelRatioF());
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

}  // namespace arlo::ui
