#include "ui/episode_list_panel.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <algorithm>

#include "catalogue/catalogue.h"
#include "ui/episode_list_view.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

namespace {

const QColor kTeal(0x00, 0x80, 0x80);
const QColor kPlaceholderGrey(0xC0, 0xC0, 0xC0);

// The count label shows the length of whichever list is chosen, in the face that "Arial"
// resolves to on this system, which may be wider. It widens to hold the widest count, up to
// the label beside it; only where even that is too narrow do its characters get smaller.
void fitCountLabel(Label* count, int roomRight, const catalogue::Catalogue& catalogue) {
    using catalogue::List;
    const QString layoutCaption = count->text();
    const int room = roomRight - count->x();
    auto widest = [count, &catalogue] {
        int width = 0;
        for (const List list : {List::JapaneseTitles, List::MandarinTitles, List::MovieTitles}) {
            count->setText(QString::number(catalogue.count(list)));
            width = std::max(width, count->sizeHint().width());
        }
        return width;
    };
    int needed = widest();
    for (QFont font = count->font(); needed > room && font.pixelSize() > 8;) {
        font.setPixelSize(font.pixelSize() - 1);
        count->setFont(font);
        needed = widest();
    }
    count->setText(layoutCaption);
    if (needed > count->width()) {
        count->resize(needed, count->height());
    }
}

}  // namespace

EpisodeListPanel::EpisodeListPanel(QWidget* header, QWidget* page,
                                   const catalogue::Catalogue& catalogue)
    : QWidget(page), catalogue_(catalogue) {
    setGeometry(0, 0, 393, 340);
    buildHeader(header);
    buildList();
    bindEvents();
}

EpisodeListPanel::~EpisodeListPanel() {
    // Hiding the controls on the way out makes them emit; nothing may reach a half-gone panel.
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(child, nullptr, this, nullptr);
    }
    // The header controls are the header's children.
    for (QWidget* control :
         std::initializer_list<QWidget*>{c_.searchBox, c_.categoryChooser, c_.languageChooser}) {
        disconnect(control, nullptr, this, nullptr);
    }
}

void EpisodeListPanel::buildHeader(QWidget* header) {
    c_.searchFrame = makeFramePanel(header, QStringLiteral("外形框4"), {161, 12, 212, 29});
    c_.searchBox = makeEditBox(c_.searchFrame, QStringLiteral("编辑框1"), {31, 1, 180, 24},
                               QStringLiteral("查找"), uiFont(14), kPlaceholderGrey);
    c_.searchBox->setFrame(false);
    c_.searchIcon = makePictureBox(header, QStringLiteral("图片框3"), {169, 18, 15, 15},
                                   picturePath(QStringLiteral("magnifier.jpg")));
    const QStringList categories = {QStringLiteral("TV版"), QStringLiteral("剧场版")};
    c_.categoryChooser =
        makeComboBox(header, QStringLiteral("组合框1"), {0, 61, 97, 27}, categories, uiFont(13));
    const QStringList languages = {QStringLiteral("日语"), QStringLiteral("国语")};
    c_.languageChooser =
        makeComboBox(header, QStringLiteral("组合框2"), {93, 61, 81, 27}, languages, uiFont(13));
    c_.updatedTo = makeLabel(header, QStringLiteral("标签10"), {185, 61, 40, 27},
                             QStringLiteral("更新至"), uiFont(13), kTeal);
    c_.episodeCount = makeLabel(header, QStringLiteral("标签11"), {230, 61, 34, 27},
                                QStringLiteral("n"), arialFont(18, true), QColor(0xFF, 0, 0));
    c_.episodeUnit = makeLabel(header, QStringLiteral("标签12"), {272, 61, 40, 27},
                               QStringLiteral("集"), uiFont(13), kTeal);
    fitCountLabel(c_.episodeCount, c_.episodeUnit->x() - 1, catalogue_);
}

void EpisodeListPanel::buildList() {
    c_.numberHeading = makeLabel(this, QStringLiteral("标签2"), {0, 0, 63, 25},
                                 QStringLiteral("   集数"), uiFont(16));
    c_.titleHeading = makeLabel(this, QStringLiteral("标签3"), {62, 0, 331, 25},
                                QString(28, QLatin1Char(' ')) + QStringLiteral("目录"), uiFont(16));
    for (auto [list, name] : {std::pair{&c_.episodeList, QStringLiteral("超级列表框1")},
                              std::pair{&c_.resultList, QStringLiteral("超级列表框2")}}) {
        *list = new EpisodeListView(this);
        (*list)->setObjectName(name);
        (*list)->setGeometry(0, 25, 393, 315);
        (*list)->setFont(uiFont(17));
    }
    c_.resultList->hide();
    c_.nothingFound = makePictureBox(this, QStringLiteral("图片框1"), {1, 25, 391, 315},
                                     picturePath(QStringLiteral("nothing_found.png")));
    c_.nothingFound->hide();
    c_.resultCount = makeLabel(this, QStringLiteral("标签8"), {257, 1, 132, 23},
                               QStringLiteral("搜索到 n 个结果"), uiFont(13), kPlaceholderGrey);
    c_.resultCount->hide();
}

void EpisodeListPanel::bindEvents() {
    connect(c_.searchBox, &EditBox::gotFocus, this, &EpisodeListPanel::searchFocusIn);
    connect(c_.searchBox, &EditBox::lostFocus, this, &EpisodeListPanel::searchFocusOut);
    connect(c_.searchBox, &QLineEdit::textChanged, this, &EpisodeListPanel::searchTextChanged);
    connect(c_.episodeList, &EpisodeListView::rowClicked, this,
            &EpisodeListPanel::episodeListClicked);
    connect(c_.resultList, &EpisodeListView::rowClicked, this,
            &EpisodeListPanel::resultListClicked);
    connect(c_.categoryChooser, &QComboBox::activated, this, &EpisodeListPanel::categoryChosen);
    connect(c_.languageChooser, &QComboBox::activated, this, &EpisodeListPanel::languageChosen);
    for (ComboBox* chooser : {c_.categoryChooser, c_.languageChooser}) {
        connect(chooser, &ComboBox::dropDownClosed, this,
                [this, chooser] { emit dropDownClosed(chooser); });
    }
    c_.episodeList->installEventFilter(this);
    c_.resultList->installEventFilter(this);
    // Anywhere in the window the header belongs to.
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), c_.searchFrame);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, &EpisodeListPanel::focusSearch);
}

bool EpisodeListPanel::eventFilter(QObject* watched, QEvent* event) {
    const bool isList = watched == c_.episodeList || watched == c_.resultList;
    if (!isList || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return QWidget::eventFilter(watched, event);
    }
    auto* list = static_cast<EpisodeListView*>(watched);
    if (const int row = list->currentRow(); row >= 0) {
        if (list == c_.episodeList) {
            emit episodeListClicked(row);
        } else {
            emit resultListClicked(row);
        }
    }
    emit playRequested();
    return true;
}

void EpisodeListPanel::focusSearch() {
    c_.searchBox->setFocus(Qt::ShortcutFocusReason);
    c_.searchBox->selectAll();
}

void EpisodeListPanel::showStartState() {
    c_.categoryChooser->setCurrentIndex(0);
    c_.languageChooser->setCurrentIndex(0);
    showEpisodeCount(catalogue_.count(catalogue::List::JapaneseTitles));
}

void EpisodeListPanel::chooseCategory(int index) {
    c_.categoryChooser->setCurrentIndex(index);
    emit categoryChosen(index);
}

int EpisodeListPanel::categoryIndex() const {
    return c_.categoryChooser->currentIndex();
}

int EpisodeListPanel::languageIndex() const {
    return c_.languageChooser->currentIndex();
}

void EpisodeListPanel::setLanguageChooserEnabled(bool enabled) {
    const QSignalBlocker quiet(c_.languageChooser);
    c_.languageChooser->setEnabled(enabled);
}

void EpisodeListPanel::showEpisodeCount(int count) {
    c_.episodeCount->setText(QString::number(count));
}

void EpisodeListPanel::parkFocus(Qt::FocusReason reason) {
    c_.searchIcon->setFocus(reason);
}

}  // namespace arlo::ui
