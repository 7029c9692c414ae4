#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "base/serial_worker.h"
#include "catalogue/list_refresh.h"
#include "catalogue/watch_history.h"
#include "playback/navigation.h"
#include "ui/app_context.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"

namespace arlo::ui {

inline const QString kSearchPlaceholder = QStringLiteral("查找");
inline const QColor kPlaceholderColour(0xC0, 0xC0, 0xC0);
inline const QColor kTypingColour(0x00, 0x88, 0xFF);

// The episode list panel's behaviour: the search box with its results list, the full list,
// and the episode a click chooses, which it reports for the episode panel and the previews.
// Searches run on a worker that only sees a snapshot of the rows and posts its result here;
// every widget is touched on the UI thread only.
class EpisodeListController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeListController)

public:
    // Takes the panel's search box and list events from here on.
    EpisodeListController(EpisodeListPanel& panel, AppContext& context, QObject* parent = nullptr);
    ~EpisodeListController() override;

    // Search box events.
    void searchFocusIn();
    void searchFocusOut();
    void searchTextChanged(const QString& text);
    // A left click on either list; `row` is -1 when the click left no row selected.
    void chooseRow(const EpisodeListView& list, int row);
    // The episode the last click chose; no number and no ids before the first, and after
    // forgetChosenEpisode(), which reports that no episode is chosen. Its category and
    // language are left to whoever reads the choosers (NavigationAdapter::chosenEpisode()).
    const playback::ChosenEpisode& chosenEpisode() const { return chosen_; }
    void forgetChosenEpisode();

    // Refresh in the background (start-up), or at once on this thread (the choosers).
    void refreshLater();
    void refreshNow();
    // Waits for the background refreshes asked for so far and handles their results: each
    // is shown, or dropped as out of date, before this returns.
    void settleRefreshes();

    // What the choosers do to the page before they refresh it.
    void resetSearchBox();
    void hideSearchResults();
    void clearEpisodeList();
    int episodeListRowCount() const;

    // Where the user left off: the history file is read (a missing or damaged one is an empty
    // history), the played episodes are marked in the lists, and the last one played of the
    // list shown is scrolled into view unless a row is chosen there already.
    void loadHistory(const std::string& path);
    // A playback start of episode `number` (1-based) of the dub list of `language` ("日语"
    // or "国语"): remembered and marked at once; the history file is written whole on a worker
    // of its own, and the newest history waiting replaces an older one.
    void recordPlay(std::string_view language, int number);
    const catalogue::WatchHistory& history() const { return history_; }

    // True while the box shows the grey "查找" that only invites a search.
    bool showsPlaceholder() const;

signals:
    // A row was chosen: the episode panel is to show its heading ("第N集") and title.
    void episodeChosen(const QString& heading, const QString& title);
    // The choice was dropped: no episode is chosen, and loads for the last one are stale.
    void choiceCleared();
    // A refresh's result is on screen (every refresh that was still current when it ended).
    void refreshShown();
    // A Mandarin-dubbed episode was chosen: its cover and its slide preview are to be loaded.
    void previewWanted(const QString& thumbnailUrl, const QString& previewCode);
    // An episode without previews was chosen: nothing is to be loaded for it, and what was
    // being loaded for an earlier choice is not to be shown.
    void previewNotWanted();

private:
    const EpisodeListPanel::Controls& c() const { return panel_.controls(); }
    // The full list of one dub language, which the search reads and both lists show; built
    // once per language, on first use.
    const catalogue::RowSnapshot& rowsOfLanguage(int languageIndex);
    catalogue::RefreshInput currentInput();
    void showIfCurrent(catalogue::RefreshResult result);
    void apply(catalogue::RefreshResult result);
    void fillFullListIfEmpty(const catalogue::RowSnapshot& rows);
    const catalogue::ListHistory& shownListHistory() const;
    // Marks the played episodes in both lists; with `scroll`, brings the last one into view.
    void showHistory(bool scroll);

    EpisodeListPanel& panel_;
    AppContext& context_;
    playback::ChosenEpisode chosen_;
    std::array<catalogue::RowSnapshot, 2> languages_;
    catalogue::WatchHistory history_;
    std::string historyPath_;  // empty until the history is read; nothing is written before
    // Writes the history file; the destructor waits for the newest history to be written.
    base::SerialWorker historyWriter_{"history write"};
    // Last member: it stops its worker before anything the worker reports to goes away.
    catalogue::ListRefresher refresher_;
};

}  // namespace arlo::ui
