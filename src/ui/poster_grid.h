#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <chrono>
#include <functional>
#include <vector>

#include "ui/app_context.h"
#include "ui/poster_controls.h"
#include "ui/skinned/png_control.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

// Waits `duration` while the event loop keeps serving the windows (input, painting, timers).
// Returns early when the application is quitting.
void waitPumpingEvents(std::chrono::milliseconds duration);

// The movie page of the Main window: eighteen poster cells built from the page's template
// cell, a hover overlay with a play button laid over the poster under the mouse, and a
// scroll bar (and the wheel) moving the grid. The poster page forwards the events of its
// template controls here; the cells built here report their own.
//
// Cells are numbered 1..18 row by row. Each clone carries its template's designer name with
// "_k" appended, and its poster carries k as text in the "tag" property.
class PosterGrid final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PosterGrid)

public:
    using Wait = std::function<void(std::chrono::milliseconds)>;

    PosterGrid(AppContext& context, const PosterControls& controls, QObject* parent);
    ~PosterGrid() override;

    // The short pauses while the grid is built (they let the window paint and answer the
    // mouse meanwhile); waitPumpingEvents unless replaced.
    void setWait(Wait wait) { wait_ = std::move(wait); }

    // Lays out the scroll area, prepares the overlay and its play button, builds the cells,
    // pausing after each cell and at the end. Once: later calls do nothing.
    void setUp();
    // The same, without pauses, for a page wanted before its set-up has finished: from
    // nothing, or the rest of a set-up that is waiting in one of its pauses. That set-up then
    // ends as soon as its pause does.
    void setUpNow();
    // All cells are built and filled, and the scroll bar is set.
    bool isSetUp() const { return stage_ == Stage::Done; }

    int cellCount() const { return static_cast<int>(cells_.size()); }
    // Cell k = 1..cellCount(); null outside.
    FramePanel* cell(int k) const;
    PictureBox* poster(int k) const;
    Label* title(int k) const;
    QWidget* overlay() const { return c_.overlay; }
    QWidget* playButton() const;

    // Event handlers. Positions are screen coordinates.
    void posterMouseMove(PictureBox* poster);
    // A move over the template poster: the poster under the cursor is meant.
    void posterMouseMoveAt(QPoint globalPos);
    void overlayMouseMove(QPoint globalPos);
    void playButtonMouseMove(QPoint globalPos);
    void mainWindowMouseMove();
    void playClicked();
    void scrolled(int position);
    void wheelTurned(int notches);

signals:
    // The play button was clicked over the movie in WindowFlags::hoveredMovie.
    void playRequested();
    // The grid has its eighteen cells with their posters and titles.
    void setUpFinished();

protected:
    // Answers the tool tip asked over the grid while the cursor rests on the play button.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Cell {
        FramePanel* frame = nullptr;
        PictureBox* poster = nullptr;
        Label* title = nullptr;
    };

    void layOutScrollArea();
    void prepareOverlay();
    void prepareButton();
    enum class Stage { NotStarted, Building, Done };

    void buildGrid();
    // Adds the cells still missing, then fills them.
    void buildRemainingCells();
    void fillGrid();
    Cell cloneTemplateCell(int k);
    void keepMouseToItself(QWidget* widget);
    void releaseCapture();
    void hideOverlay();
    bool isOnOverlay(QPoint globalPos) const;
    bool isOnButton(QPoint globalPos) const;

    AppContext& context_;
    const PosterControls c_;
    skinned::PngPictureBox overlayBox_;
    skinned::PngButton button_;
    std::vector<Cell> cells_;
    Wait wait_;
    Stage stage_ = Stage::NotStarted;
    // Wanted now: the pauses are skipped from here on.
    bool hurried_ = false;
};

}  // namespace arlo::ui
