#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QProgressBar;

namespace arlo::ui {

class DrawingPanel;
class ImageButton;
class Label;
class PictureBox;

// The TV page's episode panel under the list: the chosen episode's heading and title, its
// cover, the play and source buttons, and the slide preview: the slider with its time and
// status, and the popup (a frame holding the picture, and a pointer) that shows a frame above
// the slider. The series logo covers the panel until an episode is chosen. The popup floats
// over the whole page, the list included, so it lies on the page rather than inside the panel.
class EpisodePanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodePanel)

public:
    // The panel's controls, by their designer names.
    struct Controls {
        PictureBox* seriesLogo = nullptr;        // 图片框2
        DrawingPanel* cover = nullptr;           // 画板1
        Label* episodeHeading = nullptr;         // 标签4
        Label* episodeTitle = nullptr;           // 标签5
        ImageButton* playButton = nullptr;       // 超级按钮1
        Label* sourceLabel = nullptr;            // 标签6
        ImageButton* iqiyiButton = nullptr;      // 超级按钮2
        ImageButton* letvButton = nullptr;       // 超级按钮3
        Label* previewTime = nullptr;            // 标签7
        QProgressBar* previewSlider = nullptr;   // 进度条1
        Label* previewStatus = nullptr;          // 标签1
        PictureBox* previewFrame = nullptr;      // 图片框4, on the page
        DrawingPanel* previewPicture = nullptr;  // 画板3, in the frame once shown
        Label* previewPointer = nullptr;         // 透明标签1, on the page
    };

    // `client` is the window's client area: the popup follows the cursor measured there.
    EpisodePanel(QWidget* page, const QWidget* client);
    ~EpisodePanel() override;

    const Controls& controls() const { return c_; }

    // The popup's picture moved into its frame, and the panel as showNothingChosen() leaves it.
    void showStartState();
    // No episode is chosen: the series logo covers the panel again, which shows the series
    // title, no episode title, the default cover and an idle preview slider, as at start-up.
    void showNothingChosen();
    // A row was chosen: the panel shows from now on, with the episode's heading and title and
    // the preview slider back at its start.
    void showEpisode(const QString& heading, const QString& title);
    // The chosen episode has no previews.
    void showNoPreviews();
    // Takes the keyboard focus (and the focus mark) off the control that has it, onto the
    // preview's time label.
    void parkFocus(Qt::FocusReason reason);

    // The slider's place on the page, where the popup's coordinates are counted from.
    QRect sliderOnPage() const;
    // A screen position in the client area's coordinates, as the popup follows it.
    QPoint cursorInClient(QPoint globalPos) const;

signals:
    void playClicked();
    // Mouse moves over the preview slider and over the popup's picture, in screen coordinates.
    void sliderMouseMoved(QPoint globalPos);
    void popupMouseMoved(QPoint globalPos);

private:
    void build(QWidget* page);
    void bindEvents();

    Controls c_;
    const QWidget* client_;
};

}  // namespace arlo::ui
