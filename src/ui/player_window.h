#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "playback/navigation.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QShortcut;
class QTimer;

namespace arlo::pageview {
class PageView;
class PlayerHooks;
}  // namespace arlo::pageview

namespace arlo::ui {

class ComboBox;
class FramePanel;
class ImageButton;

// Outer size limits of the Player window, and its size when it opens.
inline constexpr QSize kPlayerMinimumSize{699, 391};
inline constexpr QSize kPlayerMaximumSize{5000, 5000};
inline constexpr QSize kPlayerInitialSize{976, 646};

// Geometry of the controls that follow the Player window's size.
struct PlayerLayout {
    QRect browser;         // 超文本浏览框1
    QRect bottomBar;       // 外形框1
    QRect previousButton;  // 超级按钮1
    QRect nextButton;      // 超级按钮2
    QRect episodeChooser;  // 组合框1
    QRect switchLabel;     // 标签1
    QRect sourceChooser;   // 组合框2
    QRect stayOnTop;       // 选择框1

    bool operator==(const PlayerLayout&) const = default;
};

// Where the controls go for an outer window size of `width` x `height`: the page fills the
// window but for a bottom bar 80 pixels from its lower edge, and the controls line up along
// that bar from left to right. A value the rule does not set is kept from `current`.
PlayerLayout layoutPlayerWindow(int width, int height, const PlayerLayout& current);

// The Player window: shows the Player page with the episode and source choosers below it.
// It holds widgets and wiring; what playing an episode means is decided by its callers,
// which connect to its signals.
class PlayerWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerWindow)

public:
    // A top-level window at (50, 50), 976 x 646 outside, deleted when closed.
    explicit PlayerWindow(QWidget* parent = nullptr);
    ~PlayerWindow() override;

    // Shows the page written at `pagePath`: removes the Plugin hook, loads the page anew, and
    // unless the page plays from iQiyi arms the Hook timer that hooks the new page.
    void showPlayerPage(const std::string& pagePath, std::string_view source);

    // The choosers as the playback logic fills and reads them. Selecting from here runs no
    // handler; only the user's choice emits the selection signals.
    void setSources(const std::vector<std::string>& names);
    void selectSource(int index);
    void setEpisodes(const std::vector<playback::EpisodeItem>& items);
    void selectEpisode(int index);
    int selectedEpisodeIndex() const;
    int episodeCount() const;
    // The item's text and number; an empty item outside the list.
    playback::EpisodeItem episodeAt(int index) const;
    // Restores the window if it is minimised and asks for it to become the active window,
    // again if the native window is re-created before that happened.
    void restoreAndActivate();

    pageview::PageView& pageView() { return *view_; }
    pageview::PlayerHooks& hooks() { return *hooks_; }
    QTimer* hookTimer() const { return hookTimer_; }
    ComboBox* episodeChooser() const { return episodeChooser_; }
    ComboBox* sourceChooser() const { return sourceChooser_; }
    PlayerLayout controlLayout() const;

    // Shows the page alone on the whole screen, or brings the window back to the place and
    // size it had, with its bottom bar. The page is not loaded again either way. Leaving also
    // takes the page out of a full screen of its own.
    void setFullScreen(bool on);

signals:
    void previousClicked();  // 超级按钮1
    void nextClicked();      // 超级按钮2
    // The user chose an item of the episode chooser (组合框1) or the source chooser (组合框2).
    void episodeSelectionChanged(int index);
    void sourceSelectionChanged(int index);
    // The window became the active window. The playback does not wait for it: the desktop
    // may refuse or never answer.
    void activated();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void bindKeys();
    void showFullScreenState(bool on);
    void setBarVisible(bool visible);
    void applyLayout(const PlayerLayout& layout);
    void applyOuterSizeLimits();
    QSize frameExtent() const;
    void setStayOnTop(bool onTop);

    std::unique_ptr<pageview::PageView> view_;
    QWidget* browser_ = nullptr;
    FramePanel* bottomBar_ = nullptr;
    ImageButton* previousButton_ = nullptr;
    ImageButton* nextButton_ = nullptr;
    ComboBox* episodeChooser_ = nullptr;
    QLabel* switchLabel_ = nullptr;
    ComboBox* sourceChooser_ = nullptr;
    QCheckBox* stayOnTop_ = nullptr;
    QTimer* hookTimer_ = nullptr;
    std::unique_ptr<pageview::PlayerHooks> hooks_;
    bool activationWanted_ = false;            // asked to become active and not yet active since
    bool fullScreen_ = false;                  // the page alone on the whole screen
    QRect normalGeometry_;                     // where the window was before it filled the screen
    QSize normalFrame_{0, 0};                  // the frame it had then
    QShortcut* leaveFullScreenKey_ = nullptr;  // Esc, only while the screen is filled
};

}  // namespace arlo::ui
