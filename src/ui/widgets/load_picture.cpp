#include "ui/widgets/load_picture.h"

namespace arlo::ui {

QPixmap loadPicture(const QString& path) {
    QPixmap picture;
    if (!path.isEmpty()) {
        picture.load(path);
    }
    return picture;
}

}  // namespace arlo::ui
