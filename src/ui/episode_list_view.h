#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStyledItemDelegate>
#include <QTableView>
#include <cstddef>
#include <memory>
#include <vector>

#include "catalogue/list_refresh.h"

// The report-style episode list: eight columns, of which only the number and the title are
// shown; the others carry the row's ids for whoever chooses the row.
namespace arlo::ui {

enum EpisodeColumn : int {
    kColumnNone = 0,
    kColumnNumber = 1,
    kColumnTitle = 2,
    kColumnSohuId = 3,
    kColumnLeTVId = 4,
    kColumnIqiyiId = 5,
    kColumnThumbnail = 6,
    kColumnPreviewCode = 7,
};
inline constexpr int kEpisodeColumnCount = catalogue::kEpisodeCellCount;
// The number column's cells answer this role with true for an episode played before.
inline constexpr int kPlayedRole = Qt::UserRole + 1;

// The rows of a list, served from the catalogue's rows as the view asks for them: a list of
// any length costs one index per row shown (none for the full list), and text is only made
// for the cells that are painted or read.
class EpisodeListModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeListModel)

public:
    explicit EpisodeListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Replaces every row at once (one model reset, however many rows): all of `rows` in list
    // order, or the rows of `rows` at the indexes `shown`, in that order.
    void setRows(catalogue::RowSnapshot rows);
    void setRows(catalogue::RowSnapshot rows, std::vector<std::size_t> shown);
    void clear() { setRows(nullptr); }
    // Which rows of the whole list were played (by their index in `rows`): marked in the
    // number column.
    void setPlayed(std::vector<bool> played);
    // The text of one cell; empty outside the list.
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void reset(catalogue::RowSnapshot rows, std::vector<std::size_t> shown, bool all);

    catalogue::RowSnapshot rows_;
    std::vector<std::size_t> shown_;
    bool all_ = false;  // every row of rows_, shown without an index
    int count_ = 0;
    std::vector<bool> played_;
};

// Paints the list's cells as the style's own item delegate does, keeping the laid-out text of
// the cells it painted: a cell shown again (the same text, font and size) is drawn from its
// layout instead of being shaped and elided anew. The cell with the focus frame and text over
// several lines take the style's own way.
class EpisodeCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeCellDelegate)

public:
    explicit EpisodeCellDelegate(QObject* parent = nullptr);
    ~EpisodeCellDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Texts laid out and kept (for tests).
    int keptLayouts() const;

private:
    static void paintPlayedMark(QPainter* painter, const QStyleOptionViewItem& cell);

    struct Kept;
    std::unique_ptr<Kept> kept_;
};

class EpisodeListView final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeListView)

public:
    explicit EpisodeListView(QWidget* parent);

    EpisodeListModel& episodes() { return model_; }
    const EpisodeListModel& episodes() const { return model_; }
    void setRows(catalogue::RowSnapshot rows);
    void setRows(catalogue::RowSnapshot rows, std::vector<std::size_t> shown);
    // The selected row, -1 when none is.
    int currentRow() const;
    void setCurrentRow(int row);

signals:
    // Any left click in the list, on a row or not; `row` is the current row after the
    // click (-1 when the click landed below the last row).
    void rowClicked(int row);

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    EpisodeListModel model_;
    EpisodeCellDelegate cells_;
    bool leftPressed_ = false;
};

// Column headings and widths of both episode lists.
QString episodeColumnHeading(int column);
int episodeColumnWidth(int column);

}  // namespace arlo::ui
