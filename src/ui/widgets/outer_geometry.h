#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace arlo::ui {

// Places a top-level window at `topLeft` with the outer size `outerSize` (frame included).
// Where the window system draws no frame the client area takes the whole size. With `fixed`
// the user cannot resize the window.
void setOuterGeometry(QWidget* window, QPoint topLeft, QSize outerSize, bool fixed);

}  // namespace arlo::ui
