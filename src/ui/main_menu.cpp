#include "ui/main_menu.h"

#include "ui/ui_look.h"

namespace arlo::ui {

MainMenu::MainMenu(QWidget* parent) : QMenuBar(parent) {
    setFont(uiFont(kDefaultFontPixels));
    QMenu* trailer = addMenu(QStringLiteral("M19剧场版预告"));
    trailerItem_ = trailer->addAction(QStringLiteral("点击播放"));
    QMenu* coming = addMenu(QStringLiteral("即将添加"));
    coming->addAction(QStringLiteral("下载功能"));
    coming->addAction(QStringLiteral("待添加..."));
    QMenu* guestbook = addMenu(QStringLiteral("留言"));
    guestbookItem_ = guestbook->addAction(QStringLiteral("我要留言"));
    QMenu* about = addMenu(QStringLiteral("关于"));
    aboutItem_ = about->addAction(QStringLiteral("关于软件"));
    connect(trailerItem_, &QAction::triggered, this, &MainMenu::trailerChosen);
    connect(guestbookItem_, &QAction::triggered, this, &MainMenu::guestbookChosen);
    connect(aboutItem_, &QAction::triggered, this, &MainMenu::aboutChosen);
}

}  // namespace arlo::ui
