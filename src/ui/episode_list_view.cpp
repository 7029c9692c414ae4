#include "ui/episode_list_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <limits>

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

EpisodeListView::EpisodeListView(QWidget* parent) : QTableView(parent), model_(this) {
    setModel(&model_);
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
