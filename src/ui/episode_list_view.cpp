#include "ui/episode_list_view.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <limits>

#include "ui/program_style.h"

namespace arlo::ui {

QString episodeColumnHeading(int column) {
    switch (column) {
        case kColumnNumber:
            return QStringLiteral("集数");
        case kColumnTitle:
            return QStringLiteral("目录");
        case kColumnSohuId:
            return QStringLiteral("播放id_搜狐");
        case kColumnLeTVId:
            return QStringLiteral("播放id_乐视");
        case kColumnIqiyiId:
            return QStringLiteral("播放id_爱奇艺");
        case kColumnThumbnail:
            return QStringLiteral("缩略图id");
        case kColumnPreviewCode:
            return QStringLiteral("预览图id");
        default:
            return {};
    }
}

int episodeColumnWidth(int column) {
    switch (column) {
        case kColumnNumber:
            return 60;
        case kColumnTitle:
            return 312;
        default:
            return 0;
    }
}

void EpisodeListModel::setRows(catalogue::RowSnapshot rows) {
    reset(std::move(rows), {}, true);
}

void EpisodeListModel::setRows(catalogue::RowSnapshot rows, std::vector<std::size_t> shown) {
    reset(std::move(rows), std::move(shown), false);
}

void EpisodeListModel::reset(catalogue::RowSnapshot rows, std::vector<std::size_t> shown,
                             bool all) {
    beginResetModel();
    rows_ = std::move(rows);
    shown_ = std::move(shown);
    all_ = all;
    const std::size_t count = !rows_ ? 0 : all_ ? rows_->size() : shown_.size();
    count_ = static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
    endResetModel();
}

void EpisodeListModel::setPlayed(std::vector<bool> played) {
    played_ = std::move(played);
    if (count_ > 0) {
        emit dataChanged(index(0, kColumnNumber), index(count_ - 1, kColumnNumber), {kPlayedRole});
    }
}

QString EpisodeListModel::cell(int row, int column) const {
    if (row < 0 || row >= count_) {
        return {};
    }
    const auto index = static_cast<std::size_t>(row);
    const std::string text = rows_->cell(all_ ? index : shown_[index], column);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int EpisodeListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int EpisodeListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kEpisodeColumnCount;
}

QVariant EpisodeListModel::data(const QModelIndex& index, int role) const {
    if (role == kPlayedRole) {
        if (!index.isValid() || index.column() != kColumnNumber || index.row() >= count_) {
            return false;
        }
        const auto row = static_cast<std::size_t>(index.row());
        const std::size_t listRow = all_ ? row : shown_[row];
        return listRow < played_.size() && played_[listRow];
    }
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    if (role == Qt::ToolTipRole && index.column() != kColumnTitle) {
        return {};
    }
    return cell(index.row(), index.column());
}

QVariant EpisodeListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return episodeColumnHeading(section);
}

namespace {

// What the laid-out text of a cell depends on.
struct CellTextKey {
    QString text;
    QFont font;
    QSize size;  // of the text's rectangle
    int alignment = 0;
    int elideMode = 0;
    int direction = 0;

    friend bool operator==(const CellTextKey& a, const CellTextKey& b) {
        return a.size == b.size && a.alignment == b.alignment && a.elideMode == b.elideMode &&
               a.direction == b.direction && a.text == b.text && a.font == b.font;
    }
    friend size_t qHash(const CellTextKey& k, size_t seed = 0) {
        return qHashMulti(seed, k.text, k.font, k.size.width(), k.size.height(), k.alignment,
                          k.elideMode, k.direction);
    }
};

// One line of text laid out for a rectangle of the key's size, and where it is drawn in it.
struct CellText {
    QTextLayout layout;
    QPointF offset;
};

// Cells of a few screens of both lists; past that the kept layouts start over.
constexpr qsizetype kMaxKeptLayouts = 512;

void layOutLine(QTextLayout& layout, int width) {
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
}

// The text as the style's item delegate draws it on one line: elided when it is wider than
// the rectangle, placed at the rectangle's left edge and aligned vertically in it.
void layOutCellText(CellText& cell, const CellTextKey& key) {
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    const auto direction = static_cast<Qt::LayoutDirection>(key.direction);
    option.setTextDirection(direction);
    const auto alignment = static_cast<Qt::Alignment>(key.alignment);
    option.setAlignment(QStyle::visualAlignment(direction, alignment));
    const int width = key.size.width();

    QTextLayout whole(key.text, key.font);
    whole.setTextOption(option);
    layOutLine(whole, width);
    const bool tooWide = whole.lineCount() > 0 && whole.lineAt(0).naturalTextWidth() > width;
    const QString shown = tooWide
                              ? QFontMetrics(key.font).elidedText(
                                    key.text, static_cast<Qt::TextElideMode>(key.elideMode), width)
                              : key.text;
    const QRect placed =
        QStyle::alignedRect(Qt::LayoutDirectionAuto, alignment,
                            whole.boundingRect().size().toSize(), QRect(QPoint(0, 0), key.size));
    cell.offset = QPointF(0, placed.top());
    cell.layout.setText(shown);
    cell.layout.setFont(key.font);
    cell.layout.setTextOption(option);
    layOutLine(cell.layout, width);
}

// The styles whose item views draw a cell's text as layOutCellText lays it out, in the cell's
// whole rectangle less the focus frame's margin; the list looks the same with this delegate.
bool drawsItemsLikeTheCommonStyle(const QStyle& style) {
    const QString name = drawingStyle(style).name();
    return name == QLatin1String("fusion") || name == QLatin1String("windows");
}

}  // namespace

struct EpisodeCellDelegate::Kept {
    QHash<CellTextKey, std::shared_ptr<CellText>> texts;
};

EpisodeCellDelegate::EpisodeCellDelegate(QObject* parent)
    : QStyledItemDelegate(parent), kept_(std::make_unique<Kept>()) {}

EpisodeCellDelegate::~EpisodeCellDelegate() = default;

int EpisodeCellDelegate::keptLayouts() const {
    return static_cast<int>(kept_->texts.size());
}

void EpisodeCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // What the style lays out around or across the text takes its own way: the focus frame
    // (drawn around the text), icons, check boxes, wrapped or multi-line text.
    const QWidget* widget = cell.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    const bool plain =
        drawsItemsLikeTheCommonStyle(*style) && !cell.text.isEmpty() &&
        !(cell.state & QStyle::State_HasFocus) && !(cell.state & QStyle::State_Editing) &&
        !(cell.features &
          (QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasCheckIndicator |
           QStyleOptionViewItem::HasDecoration)) &&
        !cell.text.contains(QLatin1Char('\n')) && !cell.text.contains(QChar::LineSeparator);
    const bool played = index.data(kPlayedRole).toBool();
    if (!plain) {
        QStyledItemDelegate::paint(painter, option, index);
        if (played) {
            paintPlayedMark(painter, cell);
        }
        return;
    }
    // A cell with neither icon nor check box gives its text the whole cell.
    QRect textRect = cell.rect;
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    textRect.adjust(margin, 0, -margin, 0);

    CellTextKey key{cell.text,
                    cell.font,
                    textRect.size(),
                    static_cast<int>(cell.displayAlignment),
                    static_cast<int>(cell.textElideMode),
                    static_cast<int>(cell.direction)};
    auto found = kept_->texts.constFind(key);
    if (found == kept_->texts.cend()) {
        if (kept_->texts.size() >= kMaxKeptLayouts) {
            kept_->texts.clear();
        }
        auto laidOut = std::make_shared<CellText>();
        layOutCellText(*laidOut, key);
        found = kept_->texts.insert(key, std::move(laidOut));
    }
    const CellText& text = **found;

    // The background and the selection, as the style draws them, then the text in the pen
    // the style takes for it.
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    QPalette::ColorGroup group =
        (cell.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active)) {
        group = QPalette::Inactive;
    }
    painter->save();
    painter->setClipRect(cell.rect);
    painter->setPen(cell.palette.color(
        group, (cell.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    text.layout.draw(painter, QPointF(textRect.topLeft()) + text.offset);
    painter->restore();
    if (played) {
        paintPlayedMark(painter, cell);
    }
}

// A small dot at the right end of the number cell: the list's accent blue, or the selected
// text's colour on a selected row.
void EpisodeCellDelegate::paintPlayedMark(QPainter* painter, const QStyleOptionViewItem& cell) {
    const bool selected = (cell.state & QStyle::State_Selected) != 0;
    const QColor colour =
        selected ? cell.palette.color(QPalette::HighlightedText) : QColor(0x00, 0x88, 0xFF);
    const qreal diameter = std::max<qreal>(4.0, cell.rect.height() / 4.0);
    const QRectF dot(cell.rect.right() - diameter * 2.5,
                     cell.rect.center().y() - diameter / 2 + 0.5, diameter, diameter);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    painter->drawEllipse(dot);
    painter->restore();
}

EpisodeListView::EpisodeListView(QWidget* parent) : QTableView(parent), model_(this) {
    setModel(&model_);
    setItemDelegate(&cells_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the next control instead of walking the cells; the arrow keys move
    // between rows.
    setTabKeyNavigation(false);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The bar paints all of its rectangle: telling Qt so spares repainting what lies under it
    // (the results list lies over the full list) whenever its range changes.
    verticalScrollBar()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The labels above the list serve as its headings.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < kEpisodeColumnCount; ++column) {
        const int width = episodeColumnWidth(column);
        setColumnHidden(column, width == 0);
        if (width > 0) {
            setColumnWidth(column, width);
        }
    }
}

void EpisodeListView::setRows(catalogue::RowSnapshot rows) {
    model_.setRows(std::move(rows));
    // A reset only schedules the layout; doing it now lets the paint that shows the new rows
    // be the only one, instead of a second full repaint when the scheduled layout runs.
    executeDelayedItemsLayout();
}

void EpisodeListView::setRows(catalogue::RowSnapshot rows, std::vector<std::size_t> shown) {
    model_.setRows(std::move(rows), std::move(shown));
    executeDelayedItemsLayout();
}

int EpisodeListView::currentRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void EpisodeListView::setCurrentRow(int row) {
    if (row < 0 || row >= model_.rowCount()) {
        clearSelection();
        setCurrentIndex({});
        return;
    }
    selectRow(row);
}

void EpisodeListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // Rows as high as the list's own font needs, a little air included.
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    }
}

void EpisodeListView::mousePressEvent(QMouseEvent* event) {
    leftPressed_ = event->button() == Qt::LeftButton;
    if (leftPressed_ && !indexAt(event->position().toPoint()).isValid()) {
        // A click on the empty part of the list selects nothing.
        clearSelection();
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    }
    QTableView::mousePressEvent(event);
}

void EpisodeListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && leftPressed_) {
        leftPressed_ = false;
        emit rowClicked(currentRow());
    }
}

}  // namespace arlo::ui
