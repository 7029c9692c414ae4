#pragma once

#include <QMenuBar>

class QAction;

namespace arlo::ui {

// The Main window's menu bar: the trailer, the features still to come, the guestbook and
// About. It reports the items chosen; the window decides what they open.
class MainMenu final : public QMenuBar {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainMenu)

public:
    explicit MainMenu(QWidget* parent);

    QAction* trailerItem() const { return trailerItem_; }      // 点击播放
    QAction* guestbookItem() const { return guestbookItem_; }  // 我要留言
    QAction* aboutItem() const { return aboutItem_; }          // 关于软件

signals:
    void trailerChosen();
    void guestbookChosen();
    void aboutChosen();

private:
    QAction* trailerItem_ = nullptr;
    QAction* guestbookItem_ = nullptr;
    QAction* aboutItem_ = nullptr;
};

}  // namespace arlo::ui
