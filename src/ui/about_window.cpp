#include "ui/about_window.h"

#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

QString aboutText() {
    return QStringLiteral(
        "\n\n\n本软件完全免费，欢迎自由传播，与更多的朋友分享。\n\n"
        "本软件为广大阿洛迷制作，只为方便大家观看，不以任何盈利为目的。");
}

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("关于窗口"));
    setWindowTitle(QStringLiteral("关于"));
    setWindowModality(Qt::ApplicationModal);
    setFont(uiFont(kDefaultFontPixels));
    setBackgroundColour(this, QColor(0xEC, 0xEC, 0xEC));
    makePictureBox(this, QStringLiteral("图片框1"), {0, 0, 120, 248},
                   picturePath(QStringLiteral("about.jpg")));
    Label* text = makeLabel(this, QStringLiteral("标签1"), {120, 0, 336, 248}, aboutText(),
                            uiFont(15), QColor(0x00, 0x88, 0xFF), true);
    text->setMargin(8);
    setBackgroundColour(text, Qt::white);
    setOuterGeometry(this, QPoint(50, 50), QSize(462, 280), true);
}

}  // namespace arlo::ui
