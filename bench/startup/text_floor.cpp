// The floor for what the Main window shows first: a plain Qt window with the same kind of
// content and no logic behind it. The full Japanese-dubbed list (number and title, in the
// same CJK face), a search box, two choosers and a label; it ends once it has painted with
// its list filled, as the program does with ARLO_EXIT_WHEN_SHOWN=filled.
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QWidget>

#include "catalogue/catalogue.h"
#include "say_painted.h"

namespace {

// Quits at the first paint of the list's viewport, which only happens with its rows in it.
class QuitOnPaint final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            sayPaintedAndQuit();
        }
        return false;
    }

private:
    bool done_ = false;
};

QFont cjkFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(397, 610);
    window.move(50, 50);
    window.setFont(cjkFont(14));

    auto* category = new QComboBox(&window);
    category->addItems({QStringLiteral("TV版"), QStringLiteral("剧场版")});
    category->setGeometry(12, 13, 80, 24);
    auto* language = new QComboBox(&window);
    language->addItems({QStringLiteral("日语"), QStringLiteral("国语")});
    language->setGeometry(100, 13, 80, 24);
    auto* search = new QLineEdit(&window);
    search->setPlaceholderText(QStringLiteral("输入集数或标题搜索"));
    search->setGeometry(192, 13, 180, 24);
    auto* label = new QLabel(QStringLiteral("共 742 集"), &window);
    label->setGeometry(12, 80, 200, 24);

    const auto& catalogue = arlo::catalogue::Catalogue::builtIn();
    const int rows = catalogue.count(arlo::catalogue::List::JapaneseTitles);
    QStandardItemModel model(rows, 2);
    for (int n = 1; n <= rows; ++n) {
        model.setItem(n - 1, 0, new QStandardItem(QString::number(n)));
        model.setItem(n - 1, 1,
                      new QStandardItem(QString::fromStdString(
                          catalogue.value(arlo::catalogue::List::JapaneseTitles, n))));
    }
    auto* list = new QTableView(&window);
    list->setModel(&model);
    list->setFont(cjkFont(17));
    list->verticalHeader()->hide();
    list->horizontalHeader()->hide();
    list->setColumnWidth(0, 60);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setGeometry(0, 113, 393, 315);

    QuitOnPaint quitter;
    list->viewport()->installEventFilter(&quitter);
    window.show();
    return QApplication::exec();
}
