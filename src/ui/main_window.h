#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "ui/app_context.h"

class QGroupBox;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QStackedWidget;

namespace arlo::ui {

class ComboBox;
class DrawingPanel;
class EditBox;
class EpisodeListController;
class EpisodeListView;
class FramePanel;
class ImageButton;
class Label;
class MainMenu;
class NavigationAdapter;
class PictureBox;
class PosterGrid;
class PosterPage;
class PreviewController;

// The start-up window: category and language choosers, search box, the episode list page
// and the movie poster page. Closing it ends the program.
class MainWindow final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Every control, by its designer name.
    struct Controls {
        DrawingPanel* logo = nullptr;         // 画板2
        FramePanel* searchFrame = nullptr;    // 外形框4
        EditBox* searchBox = nullptr;         // 编辑框1
        PictureBox* searchIcon = nullptr;     // 图片框3
        ComboBox* categoryChooser = nullptr;  // 组合框1
        ComboBox* languageChooser = nullptr;  // 组合框2
        Label* updatedTo = nullptr;           // 标签10
        Label* episodeCount = nullptr;        // 标签11
        Label* episodeUnit = nullptr;         // 标签12
        QStackedWidget* pages = nullptr;      // 高级选择夹1
        // Page 0: the episode list; page 1 is the poster page.
        Label* numberHeading = nullptr;          // 标签2
        Label* titleHeading = nullptr;           // 标签3
        EpisodeListView* episodeList = nullptr;  // 超级列表框1
        EpisodeListView* resultList = nullptr;   // 超级列表框2
        PictureBox* nothingFound = nullptr;      // 图片框1
        Label* resultCount = nullptr;            // 标签8
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
        PictureBox* previewFrame = nullptr;      // 图片框4
        DrawingPanel* previewPicture = nullptr;  // 画板3
        Label* previewPointer = nullptr;         // 透明标签1
    };

    explicit MainWindow(AppContext& context);
    ~MainWindow() override;

    const Controls& controls() const { return c_; }
    AppContext& context() { return context_; }
    MainMenu& menu() const { return *menu_; }

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
    // Start-up work handed to the movie page and the episode list.
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

public slots:
    // Window.
    void onMainLeftButtonReleased();
    void onMainMouseMove(QPoint globalPos);
    void onLogoMouseMove(QPoint globalPos);
    // Search box and lists.
    void onSearchFocusIn();
    void onSearchFocusOut();
    void onSearchTextChanged(const QString& text);
    void onEpisodeListClicked(int row);
    void onResultListClicked(int row);
    // Choosers.
    void onCategoryChanged(int index);
    void onLanguageChanged(int index);
    void onChooserDropDownClosed();
    // Episode panel and previews.
    void onPlayClicked();
    void onPreviewSliderMouseMove(QPoint globalPos);
    void onPreviewPopupMouseMove(QPoint globalPos);
    // The movie page's play button asks to play the hovered movie.
    void onPosterPlayRequested();
    // Menu.
    void onTrailerMenu();
    void onGuestbookMenu();
    void onAboutMenu();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindowControls(QWidget* client);
    void buildEpisodePage(QWidget* page);
    void bindEvents();
    // Loads the chosen Mandarin-dubbed episode's cover, then its slide preview.
    void startPreviewLoaders(const QString& thumbnailUrl, const QString& previewCode);

    AppContext& context_;
    Controls c_;
    QPointer<QWidget> player_;
    MainMenu* menu_ = nullptr;
    PosterPage* posterPage_ = nullptr;
    std::unique_ptr<EpisodeListController> episodeList_;
    std::unique_ptr<NavigationAdapter> navigation_;
    std::unique_ptr<PreviewController> preview_;
    bool created_ = false;
};

}  // namespace arlo::ui
