#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>

#include "ui/app_context.h"
#include "ui/poster_controls.h"

namespace arlo::ui {

class PosterGrid;

// The movie page of the Main window: a scroll area holding the poster grid's template cell,
// the hover overlay and its play button. It owns these controls and hands their events to
// its poster grid, which builds the eighteen cells from the template once the window is on
// screen.
class PosterPage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PosterPage)

public:
    using Controls = PosterControls;

    PosterPage(AppContext& context, QWidget* parent);
    ~PosterPage() override;

    const Controls& controls() const { return c_; }
    PosterGrid& grid() { return *grid_; }

    // Builds the cells, pausing between them; once, after the Main window's first paint.
    void setUp();
    // Builds them, or the ones still missing, at once: the page is about to be shown.
    void setUpNow();
    // The mouse moved over the Main window outside the page's own controls.
    void mainWindowMouseMove();

signals:
    // The play button was clicked over the movie in WindowFlags::hoveredMovie.
    void playRequested();

private:
    void bindEvents();

    Controls c_;
    // Declared after the controls and destroyed before the page's children: its handlers
    // work on them.
    std::unique_ptr<PosterGrid> grid_;
};

}  // namespace arlo::ui
