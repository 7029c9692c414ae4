#include "ui/ui_look.h"

#include <QPalette>
#include <QWidget>

namespace arlo::ui {

namespace {

QFont fontOf(const QStringList& families, int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

QFont uiFont(int pixelSize, bool bold) {
    return fontOf({QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("WenQuanYi Zen Hei")},
                  pixelSize, bold);
}

QFont arialFont(int pixelSize, bool bold) {
    return fontOf(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")},
        pixelSize, bold);
}

QFont heiFont(int pixelSize) {
    return fontOf({QStringLiteral("黑体"), QStringLiteral("SimHei"),
                   QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei")},
                  pixelSize, false);
}

QFont serifFont(int pixelSize) {
    return fontOf({QStringLiteral("MS Serif"), QStringLiteral("DejaVu Serif")}, pixelSize, false);
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

}  // namespace arlo::ui
