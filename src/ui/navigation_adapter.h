#pragma once

#include <QObject>
#include <QPointer>
#include <optional>

#include "playback/navigation.h"
#include "ui/app_context.h"
#include "ui/player_window.h"

class QComboBox;
class QStackedWidget;

namespace arlo::ui {

class EpisodeListController;
class EpisodeListPanel;
class EpisodePanel;

// Binds the playback logic to the Main window and the Player window: hands the `Navigator`
// the Main window's choice and the Player window's doings as values and shows what it
// returns, loading the Player window when a playback first needs it; it also switches the
// Main window's list when a chooser changes. On the Main window it works through the page
// container and the TV page's two panels.
class NavigationAdapter final : public QObject {
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
    // The episode the list's last click chose, under the category and language the Main
    // window's choosers show.
    playback::ChosenEpisode chosenEpisode() const;

    // Main window events.
    void playClicked();
    void playHoveredMovie();
    void trailerChosen();
    void categoryChosen();
    void languageChosen();

signals:
    // The Player window was made; it lives until the Main window's shutdown closes it.
    void playerLoaded(QWidget* player);

private:
    void loadPlayer();
    void show(const playback::PlayerView& view);
    void inform(const std::optional<playback::Notice>& notice);
    // The list of `shown`, its count and its page, made afresh.
    void showList(const playback::ListSwitch& shown);
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
