#include "ui/episode_list_controller.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "catalogue/catalogue.h"
#include "catalogue/episode_rows.h"
#include "text/numbers.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

EpisodeListController::EpisodeListController(EpisodeListPanel& panel, AppContext& context,
                                             QObject* parent)
    : QObject(parent),
      panel_(panel),
      context_(context),
      refresher_(context.listLock, [this](catalogue::RefreshResult result) {
          // On the worker: hand the finished result to the UI thread in one piece.
          auto shared = std::make_shared<catalogue::RefreshResult>(std::move(result));
          QMetaObject::invokeMethod(
              this, [this, shared] { showIfCurrent(std::move(*shared)); }, Qt::QueuedConnection);
      }) {
    connect(&panel, &EpisodeListPanel::searchFocusIn, this, &EpisodeListController::searchFocusIn);
    connect(&panel, &EpisodeListPanel::searchFocusOut, this,
            &EpisodeListController::searchFocusOut);
    connect(&panel, &EpisodeListPanel::searchTextChanged, this,
            &EpisodeListController::searchTextChanged);
    connect(&panel, &EpisodeListPanel::episodeListClicked, this,
            [this](int row) { chooseRow(*c().episodeList, row); });
    connect(&panel, &EpisodeListPanel::resultListClicked, this,
            [this](int row) { chooseRow(*c().resultList, row); });
}

EpisodeListController::~EpisodeListController() {
    historyWriter_.waitIdle();
}

const catalogue::RowSnapshot& EpisodeListController::rowsOfLanguage(int languageIndex) {
    const std::size_t index = languageIndex == 1 ? 1 : 0;
    if (!languages_[index]) {
        languages_[index] =
            std::make_shared<const catalogue::EpisodeRows>(context_.catalogue(), index == 1);
    }
    return languages_[index];
}

bool EpisodeListController::showsPlaceholder() const {
    // The colour tells the invitation from a search the user typed for "查找" itself.
    return c().searchBox->text() == kSearchPlaceholder &&
           textColour(c().searchBox) == kPlaceholderColour;
}

catalogue::RefreshInput EpisodeListController::currentInput() {
    const QString text = c().searchBox->text();
    catalogue::RefreshInput input;
    input.rows = rowsOfLanguage(panel_.languageIndex());
    input.searching = !text.isEmpty() && !showsPlaceholder();
    if (input.searching) {
        input.query = text.toStdString();
    }
    return input;
}

void EpisodeListController::searchFocusIn() {
    if (showsPlaceholder()) {
        setTextColour(c().searchBox, kTypingColour);
        c().searchBox->clear();
    }
}

void EpisodeListController::searchFocusOut() {
    if (c().searchBox->text().isEmpty()) {
        // Grey first, so the change of text reads as the placeholder and searches nothing.
        setTextColour(c().searchBox, kPlaceholderColour);
        c().searchBox->setText(kSearchPlaceholder);
    }
}

void EpisodeListController::searchTextChanged(const QString& text) {
    // Every change makes a new input, so a search still running for an older text is not
    // shown over what this change shows.
    refresher_.setInput(currentInput());
    if (text.isEmpty()) {
        c().resultCount->hide();
        c().nothingFound->hide();
        c().resultList->hide();
        fillFullListIfEmpty(rowsOfLanguage(panel_.languageIndex()));
        return;
    }
    if (showsPlaceholder()) {
        return;
    }
    refresher_.refreshLater();
}

void EpisodeListController::refreshLater() {
    refresher_.setInput(currentInput());
    refresher_.refreshLater();
}

void EpisodeListController::refreshNow() {
    refresher_.setInput(currentInput());
    apply(refresher_.refreshNow());
}

void EpisodeListController::settleRefreshes() {
    refresher_.waitIdle();
    // The results are posted to this object; hand them over now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void EpisodeListController::showIfCurrent(catalogue::RefreshResult result) {
    if (result.generation != refresher_.generation()) {
        return;  // the input changed since; the refresh of the newer one decides
    }
    apply(std::move(result));
}

void EpisodeListController::apply(catalogue::RefreshResult result) {
    const catalogue::RowSnapshot& language = rowsOfLanguage(panel_.languageIndex());
    if (result.rows != language) {
        return;  // computed for the other language's list
    }
    if (result.searching) {
        const std::size_t count = result.matches.size();
        c().resultList->setRows(language, std::move(result.matches));
        c().resultList->episodes().setPlayed(shownListHistory().played);
        c().resultCount->setText(fromUtf8(catalogue::resultCountCaption(count)));
        c().resultCount->show();
        c().nothingFound->setVisible(count == 0);
        c().resultList->setVisible(count != 0);
    } else {
        c().resultCount->hide();
    }
    // The full list stays behind the results, filled, for when the search is emptied.
    fillFullListIfEmpty(language);
    emit refreshShown();
}

void EpisodeListController::fillFullListIfEmpty(const catalogue::RowSnapshot& rows) {
    if (c().episodeList->episodes().rowCount() == 0) {
        c().episodeList->setRows(rows);
        showHistory(true);
    }
}

const catalogue::ListHistory& EpisodeListController::shownListHistory() const {
    return history_.of(panel_.languageIndex() != 0 ? catalogue::kLanguageMandarin
                                                   : catalogue::kLanguageJapanese);
}

void EpisodeListController::showHistory(bool scroll) {
    const catalogue::ListHistory& shown = shownListHistory();
    c().episodeList->episodes().setPlayed(shown.played);
    c().resultList->episodes().setPlayed(shown.played);
    EpisodeListView& list = *c().episodeList;
    if (scroll && shown.last >= 0 && shown.last < list.episodes().rowCount() &&
        list.currentRow() < 0) {
        list.scrollTo(list.episodes().index(shown.last, kColumnNumber),
                      QAbstractItemView::PositionAtCenter);
    }
}

void EpisodeListController::loadHistory(const std::string& path) {
    history_ = catalogue::readHistory(path);
    historyPath_ = path;
    showHistory(true);
}

void EpisodeListController::recordPlay(std::string_view language, int number) {
    if (!history_.recordPlay(language, number - 1)) {
        return;
    }
    showHistory(false);
    if (!historyPath_.empty()) {
        // A failed write keeps the file as it was; the history in memory goes on.
        historyWriter_.replaceWaiting(
            [path = historyPath_, history = history_](const base::StopSignal&) {
                catalogue::writeHistory(path, history);
            });
    }
}

void EpisodeListController::resetSearchBox() {
    setTextColour(c().searchBox, kPlaceholderColour);
    c().searchBox->setText(kSearchPlaceholder);
}

void EpisodeListController::hideSearchResults() {
    c().resultList->hide();
    c().nothingFound->hide();
}

void EpisodeListController::clearEpisodeList() {
    c().episodeList->episodes().clear();
}

int EpisodeListController::episodeListRowCount() const {
    return c().episodeList->episodes().rowCount();
}

void EpisodeListController::forgetChosenEpisode() {
    chosen_ = {};
    emit choiceCleared();
}

void EpisodeListController::chooseRow(const EpisodeListView& list, int row) {
    // Outside the list every cell reads as empty text.
    const EpisodeListModel& rows = list.episodes();
    const auto cell = [&](int column) { return rows.cell(row, column); };

    const QString title = cell(kColumnTitle);
    emit episodeChosen(fromUtf8(catalogue::episodeHeading(cell(kColumnNumber).toStdString())),
                       title);

    const bool mandarin = panel_.languageIndex() != 0;
    chosen_.number = text::parseInt(cell(kColumnNumber).toStdString());
    chosen_.title = title.toStdString();
    std::vector<std::string>& ids = chosen_.ids;
    ids.assign({cell(kColumnSohuId).toStdString()});
    if (!mandarin) {
        // Japanese-dubbed episodes have no previews.
        emit previewNotWanted();
        return;
    }
    ids.push_back(cell(kColumnLeTVId).toStdString());
    ids.push_back(cell(kColumnIqiyiId).toStdString());
    emit previewWanted(cell(kColumnThumbnail), cell(kColumnPreviewCode));
}

}  // namespace arlo::ui
