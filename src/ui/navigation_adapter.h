#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

#include "playback/navigation.h"
#include "ui/app_context.h"
#include "ui/player_window.h"

class QComboBox;
class QStackedWidget;

namespace arlo::ui {

class EpisodeListController;
class EpisodeListPanel;
class EpisodePanel;

// Binds the playback logic to the Main window and the Player window: it is the windows'
// side of `NavigationUi`, loads the Player window when a playback first needs it and
// forwards the controls' events to the `Navigator`. On the Main window it works through the
// page container and the TV page's two panels.
class NavigationAdapter final : public QObject, public playback::NavigationUi {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NavigationAdapter)

public:
    // `main` is the Main window: the trailer window opens over it.
    NavigationAdapter(QWidget& main, QStackedWidget& pages, EpisodeListPanel& listPanel,
                      EpisodePanel& episodePanel, EpisodeListController& episodeList,
                      AppContext& context);
    ~NavigationAdapter() override;

    playback::Navigator& navigator() { return navigator_; }
    PlayerWindow* player() const { return player_.data(); }

    // Main window events.
    void playClicked();
    void playHoveredMovie();
    void trailerChosen();
    void categoryChosen();
    void languageChosen();

    // NavigationUi: the Player window.
    bool isPlayerLoaded() const override;
    void loadPlayer() override;
    void activatePlayer() override;
    void setPlayerCaption(const std::string& caption) override;
    void setSources(const std::vector<std::string>& names) override;
    void selectSource(int index) override;
    void setEpisodes(const std::vector<playback::EpisodeItem>& items) override;
    void selectEpisode(int index) override;
    int selectedEpisodeIndex() const override;
    int episodeCount() const override;
    playback::EpisodeItem episodeAt(int index) const override;
    void showPage(const std::string& path, const std::string& source) override;
    void openTrailerWindow(const std::string& path) override;

    // NavigationUi: the Main window.
    int categoryIndex() const override;
    int languageIndex() const override;
    int tabPage() const override;
    void setTabPage(int page) override;
    void resetSearchBox() override;
    void focusSearchIcon() override;
    void setLanguageChooserEnabled(bool enabled) override;
    void hideSearchResults() override;
    int episodeListRowCount() const override;
    void clearEpisodeList() override;
    void setCountLabel(int count) override;
    void refreshEpisodeListNow() override;
    void forgetChosenEpisode() override;
    void releaseMouseCapture() override;
    void inform(const std::string& caption, const std::string& text) override;

signals:
    // The Player window was made; it lives until the Main window's shutdown closes it.
    void playerLoaded(QWidget* player);

private:
    // A choice made in a chooser's drop-down list is reported after the list closed; the
    // focus then goes where the closing sends it, whatever the choice's handler did.
    void refocusAfterDropDown(QComboBox* chooser);

    QWidget& main_;
    QStackedWidget& pages_;
    EpisodeListPanel& listPanel_;
    EpisodePanel& episodePanel_;
    EpisodeListController& episodeList_;
    AppContext& context_;
    QPointer<PlayerWindow> player_;
    QComboBox* closedDropDown_ = nullptr;  // closed in the event being handled
    playback::Navigator navigator_;
};

}  // namespace arlo::ui
