#pragma once

class QPushButton;
class QScrollBar;

namespace arlo::ui {

class FramePanel;
class Label;
class PictureBox;

// The movie page's controls, by their designer names: the poster page builds and owns them,
// its poster grid lays them out and works them.
struct PosterControls {
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

}  // namespace arlo::ui
