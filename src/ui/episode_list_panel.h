#pragma once

#include <QPoint>
#include <QWidget>

class QComboBox;

namespace arlo::catalogue {
class Catalogue;
}

namespace arlo::ui {

class ComboBox;
class EditBox;
class EpisodeListView;
class FramePanel;
class Label;
class PictureBox;

// The TV page's episode list with its search: the search bar and the choosers in the window's
// header, and on the TV page the column headings, the full list, the results list with its
// count and the picture shown when nothing is found. The panel itself is the list's area at
// the top of the TV page; its header controls lie above the page container, where the window
// lays them out, and the panel places them in `header` (the window's client area).
class EpisodeListPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeListPanel)

public:
    // The panel's controls, by their designer names.
    struct Controls {
        FramePanel* searchFrame = nullptr;       // 外形框4
        EditBox* searchBox = nullptr;            // 编辑框1
        PictureBox* searchIcon = nullptr;        // 图片框3
        ComboBox* categoryChooser = nullptr;     // 组合框1
        ComboBox* languageChooser = nullptr;     // 组合框2
        Label* updatedTo = nullptr;              // 标签10
        Label* episodeCount = nullptr;           // 标签11
        Label* episodeUnit = nullptr;            // 标签12
        Label* numberHeading = nullptr;          // 标签2
        Label* titleHeading = nullptr;           // 标签3
        EpisodeListView* episodeList = nullptr;  // 超级列表框1
        EpisodeListView* resultList = nullptr;   // 超级列表框2
        PictureBox* nothingFound = nullptr;      // 图片框1
        Label* resultCount = nullptr;            // 标签8
    };

    // `catalogue` is the one the lists show; it outlives the panel.
    EpisodeListPanel(QWidget* header, QWidget* page, const catalogue::Catalogue& catalogue);
    ~EpisodeListPanel() override;

    const Controls& controls() const { return c_; }

    // "TV版" and "日语" chosen, with the length of the Japanese-dubbed list.
    void showStartState();
    // Chooses a category as the user does in its chooser: 0 "TV版", 1 "剧场版".
    void chooseCategory(int index);
    int categoryIndex() const;
    int languageIndex() const;
    // Disabling the language chooser closes its drop-down list without reporting a closing.
    void setLanguageChooserEnabled(bool enabled);
    // The length of the list chosen, beside "更新至".
    void showEpisodeCount(int count);
    // Parks the keyboard focus on the search icon, where it shows no caret and no mark.
    void parkFocus(Qt::FocusReason reason);
    // Puts the keyboard into the search box with its text selected (Ctrl+F in the window).
    void focusSearch();

signals:
    void searchFocusIn();
    void searchFocusOut();
    void searchTextChanged(const QString& text);
    // A left click on the full list or the results list; `row` is -1 when it chose none.
    void episodeListClicked(int row);
    void resultListClicked(int row);
    // Enter in a list: the list's current row, if it has one, is chosen as a click chooses it
    // (reported as a click on that row), then the chosen episode is to be played.
    void playRequested();
    // The user chose in a chooser, or chooseCategory() chose as the user does; setting a
    // chooser's index otherwise reports nothing.
    void categoryChosen(int index);
    void languageChosen(int index);
    // A chooser's drop-down list closed; a choice made in it is reported after this.
    void dropDownClosed(QComboBox* chooser);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHeader(QWidget* header);
    void buildList();
    void bindEvents();

    const catalogue::Catalogue& catalogue_;
    Controls c_;
};

}  // namespace arlo::ui
