#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "ui/app_context.h"

class QStackedWidget;

namespace arlo::ui {

class DrawingPanel;
class EpisodeListController;
class EpisodeListPanel;
class EpisodePanel;
class MainMenu;
class NavigationAdapter;
class PosterGrid;
class PosterPage;
class PreviewController;

// The start-up window, made of panels: the menu, the logo (画板2), and the page container
// (高级选择夹1) whose TV page holds the episode list with its search (whose search bar and
// choosers sit in the header above the pages) and the episode panel, and whose second page is
// the movie poster page. The window connects the panels' events to the controllers behind
// them.
// Closing it ends the program.
class MainWindow final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(AppContext& context);
    ~MainWindow() override;

    AppContext& context() { return context_; }
    MainMenu& menu() const { return *menu_; }
    // The TV page's panels: the episode list with its search, and the chosen episode.
    EpisodeListPanel& episodeListPanel() const { return *listPanel_; }
    EpisodePanel& episodePanel() const { return *episodePanel_; }

    // The Player window once the navigation has loaded it; null while it is not loaded.
    QWidget* playerWindow() const { return player_.data(); }
    void setPlayerWindow(QWidget* player) { player_ = player; }

    // The episode list, its search and the episode panel.
    EpisodeListController& episodeListController() { return *episodeList_; }
    // The playback logic's hold on this window and the Player window.
    NavigationAdapter& navigation() { return *navigation_; }

    // The chosen episode's cover and slide preview. To show an episode:
    // setSelection(thumbnailUrl, previewCode), then startThumbnailLoader() and
    // startPreviewLoader().
    PreviewController& previewController() { return *preview_; }

    // The movie page, and its poster grid built by setUpMoviePage().
    PosterPage& posterPage() const { return *posterPage_; }
    PosterGrid* posterGrid() const;

    // Start-up: the logo and the default cover, "TV版" and "日语" chosen with the length of
    // the Japanese-dubbed list, the preview picture moved into its frame.
    void showStartState();
    // Start-up work handed to the movie page and the episode list. The movie page is hidden
    // at start-up and is set up after the first paint; chosen before it is ready, it is
    // finished at once.
    void setUpMoviePage();
    void startEpisodeListRefresh();
    // Chooses a category as the user does in its chooser: 0 "TV版", 1 "剧场版".
    void chooseCategory(int index);
    // The full episode list, which paints on its own once it fills.
    QWidget* episodeListViewport() const;
    int episodeListRowCount() const;

signals:
    // Once, when the window is first shown: the start-up sequence runs here.
    void created();
    // The user closed the window; the program is ending.
    void closing();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void bindEvents();
    void onLogoMouseMove(QPoint globalPos);
    void onGuestbookMenu();
    void onAboutMenu();
    // Loads the chosen Mandarin-dubbed episode's cover, then its slide preview.
    void startPreviewLoaders(const QString& thumbnailUrl, const QString& previewCode);

    AppContext& context_;
    QPointer<QWidget> player_;
    MainMenu* menu_ = nullptr;
    DrawingPanel* logo_ = nullptr;     // 画板2
    QStackedWidget* pages_ = nullptr;  // 高级选择夹1
    EpisodeListPanel* listPanel_ = nullptr;
    EpisodePanel* episodePanel_ = nullptr;
    PosterPage* posterPage_ = nullptr;
    std::unique_ptr<EpisodeListController> episodeList_;
    std::unique_ptr<NavigationAdapter> navigation_;
    std::unique_ptr<PreviewController> preview_;
    bool created_ = false;
};

}  // namespace arlo::ui
