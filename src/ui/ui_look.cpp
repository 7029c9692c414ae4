#include "ui/ui_look.h"

#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

#include "pictures/pictures.h"
#include "ui/skinned/png_control.h"

namespace arlo::ui {

namespace {

// Only the installed faces of a list, so that the font system does not search for
// substitutes of a face that is not there every time a control asks for it. Compared with
// the list of installed families rather than through hasFamily(), which resolves aliases
// through fontconfig for every name asked and costs more than the whole window's layout.
QStringList installed(const QStringList& families) {
    static const QStringList all = QFontDatabase::families();
    QStringList found;
    for (const QString& family : families) {
        if (all.contains(family, Qt::CaseInsensitive)) {
            found.append(family);
        }
    }
    return found.isEmpty() ? families : found;
}

QFont fontOf(const QStringList& families, int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

QFont uiFont(int pixelSize, bool bold) {
    static const QStringList families =
        installed({QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("WenQuanYi Zen Hei")});
    return fontOf(families, pixelSize, bold);
}

QFont arialFont(int pixelSize, bool bold) {
    static const QStringList families =
        installed({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans")});
    return fontOf(families, pixelSize, bold);
}

QFont heiFont(int pixelSize) {
    static const QStringList families =
        installed({QStringLiteral("黑体"), QStringLiteral("SimHei"),
                   QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei")});
    return fontOf(families, pixelSize, false);
}

QFont serifFont(int pixelSize) {
    static const QStringList families =
        installed({QStringLiteral("MS Serif"), QStringLiteral("DejaVu Serif")});
    return fontOf(families, pixelSize, false);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QColor textColour(const QWidget* widget) {
    return widget->palette().color(widget->foregroundRole());
}

void setBackgroundColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QString picturePath(const QString& fileName) {
    return QStringLiteral(":/pictures/") + fileName;
}

QImage builtInImage(const QString& path, const QWidget* shownOn) {
    const QString chosen = pictures::forRatio(path, shownOn->devicePixelRatioF());
    return skinned::loadImageFromBytes(pictures::bytes(chosen), pictures::ratioOf(chosen));
}

}  // namespace arlo::ui
