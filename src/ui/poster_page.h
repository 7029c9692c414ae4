#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>

#include "ui/app_context.h"

class QPushButton;
class QScrollBar;

namespace arlo::ui {

class FramePanel;
class Label;
class PictureBox;
class PosterGrid;

// The movie page of the Main window: a scroll area holding the poster grid's template cell,
// the hover overlay and its play button. It owns these controls and hands their events to
// its poster grid, which builds the eighteen cells from the template at start-up.
class PosterPage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PosterPage)

public:
    // The page's controls, by their designer names.
    struct Controls {
        FramePanel* posterOuter = nullptr;        // 外形框3
        QScrollBar* posterScrollBar = nullptr;    // 多功能条1
        FramePanel* posterViewport = nullptr;     // 外形框2
        FramePanel* posterGrid = nullptr;         // 外形框1
        FramePanel* posterCell = nullptr;         // 外形框_边框
        PictureBox* posterPicture = nullptr;      // 图片框5
        Label* posterTitle = nullptr;             // 标签9
        PictureBox* overlay = nullptr;            // 图片框6
        QPushButton* posterPlayButton = nullptr;  // 按钮1
    };

    PosterPage(AppContext& context, QWidget* parent);
    ~PosterPage() override;

    const Controls& controls() const { return c_; }
    PosterGrid& grid() { return *grid_; }

    // Builds the cells; once, at start-up.
    void setUp();
    // The mouse moved over the Main window outside the page's own controls.
    void mainWindowMouseMove();

signals:
    // The play button was clicked over the movie in PlaybackState::hoveredMovie.
    void playRequested();

private:
    void bindEvents();

    Controls c_;
    // Declared after the controls and destroyed before the page's children: its handlers
    // work on them.
    std::unique_ptr<PosterGrid> grid_;
};

}  // namespace arlo::ui
