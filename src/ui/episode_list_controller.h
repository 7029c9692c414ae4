#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "catalogue/list_refresh.h"
#include "playback/navigation.h"
#include "ui/episode_list_view.h"
#include "ui/main_window.h"

namespace arlo::ui {

inline const QString kSearchPlaceholder = QStringLiteral("查找");
inline const QColor kPlaceholderColour(0xC0, 0xC0, 0xC0);
inline const QColor kTypingColour(0x00, 0x88, 0xFF);
inline const QString kNoPreviewCaption = QStringLiteral("暂无预览");

// The full list of one dub language in both forms: what the search reads, and the cells the
// lists show. Built once per language, on first use.
struct LanguageRows final {
    catalogue::RowSnapshot keys;
    std::vector<EpisodeRow> cells;
};
LanguageRows buildLanguageRows(const catalogue::Catalogue& catalogue, bool mandarin);

// The TV page of the Main window: the episode list, the search box with its results list,
// and what choosing a row shows in the episode panel. Searches run on a worker that only
// sees a snapshot of the rows and posts its result here; every widget is touched on the UI
// thread only.
class EpisodeListController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeListController)

public:
    EpisodeListController(const MainWindow::Controls& controls, AppContext& context,
                          QObject* parent = nullptr);
    ~EpisodeListController() override;

    // Search box events.
    void searchFocusIn();
    void searchFocusOut();
    void searchTextChanged(const QString& text);
    // A left click on either list; `row` is -1 when the click left no row selected.
    void chooseRow(const EpisodeListView& list, int row);
    // The episode the last click chose; no number and no ids before the first, and after
    // forgetChosenEpisode().
    const playback::ChosenEpisode& chosenEpisode() const { return chosen_; }
    void forgetChosenEpisode();

    // Refresh in the background (start-up), or at once on this thread (the choosers).
    void refreshLater();
    void refreshNow();

    // What the choosers do to the page before they refresh it.
    void resetSearchBox();
    void hideSearchResults();
    void clearEpisodeList();
    int episodeListRowCount() const;

    // True while the box shows the grey "查找" that only invites a search.
    bool showsPlaceholder() const;

signals:
    // A refresh's result is on screen (every refresh that was still current when it ended).
    void refreshShown();
    // A Mandarin-dubbed episode was chosen: its cover and its slide preview are to be loaded.
    void previewWanted(const QString& thumbnailUrl, const QString& previewCode);
    // An episode without previews was chosen: nothing is to be loaded for it, and what was
    // being loaded for an earlier choice is not to be shown.
    void previewNotWanted();

private:
    const LanguageRows& rowsOfLanguage(int languageIndex);
    catalogue::RefreshInput currentInput();
    void showIfCurrent(const catalogue::RefreshResult& result);
    void apply(const catalogue::RefreshResult& result);
    void fillFullListIfEmpty(const LanguageRows& rows);

    const MainWindow::Controls c_;
    AppContext& context_;
    playback::ChosenEpisode chosen_;
    std::array<std::unique_ptr<const LanguageRows>, 2> languages_;
    // Last member: it stops its worker before anything the worker reports to goes away.
    catalogue::ListRefresher refresher_;
};

}  // namespace arlo::ui
