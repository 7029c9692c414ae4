#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

class QWidget;

// Fonts, colours and built-in pictures shared by the windows. Sizes are pixel sizes: "13"
// in a layout table means 13-pixel characters.
namespace arlo::ui {

// The program's face, 微软雅黑, falling back to an installed CJK sans.
QFont uiFont(int pixelSize, bool bold = false);
// "Arial", falling back to a Latin sans.
QFont arialFont(int pixelSize, bool bold = false);
// "黑体", falling back to a CJK sans.
QFont heiFont(int pixelSize);
// "MS Serif", falling back to a serif face.
QFont serifFont(int pixelSize);

// Size used where a layout gives a face but no size.
inline constexpr int kDefaultFontPixels = 12;

// The colour a control draws its text in (labels, edit boxes, buttons).
void setTextColour(QWidget* widget, const QColor& colour);
QColor textColour(const QWidget* widget);
void setBackgroundColour(QWidget* widget, const QColor& colour);

// A picture carried with the program, by file name ("logo.png"). Null when the program was
// built without it, in which case the control simply shows nothing.
QString picturePath(const QString& fileName);

// A built-in picture by resource path, for the skinned controls, which take images: the one
// drawn for the density of the screen `shownOn` is on (see pictures::forRatio), carrying its
// ratio. Null for a path that names no built-in picture.
QImage builtInImage(const QString& path, const QWidget* shownOn);

}  // namespace arlo::ui
