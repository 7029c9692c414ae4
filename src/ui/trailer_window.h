#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace arlo::pageview {
class PageView;
}  // namespace arlo::pageview

namespace arlo::ui {

inline constexpr QSize kTrailerWindowSize{1109, 652};

// Plays the trailer of the upcoming movie: one page view filling the window, captioned with
// the movie's title. No right-click hook and no Hook timer here. Like the program's other
// modal windows it is a dialog: Escape closes it, also where no window manager draws a close
// box.
class TrailerWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrailerWindow)

public:
    // Loads the page at `pagePath` as soon as the window is made. A top-level window at
    // (50, 50), 1109 x 652 outside, deleted when closed.
    explicit TrailerWindow(const std::string& pagePath, QWidget* parent = nullptr);
    ~TrailerWindow() override;

    // Writes the trailer's page at `pagePath` and opens a Trailer window on it, modal for
    // the whole program until it is closed. The window is shown even when the page could not
    // be written; it then shows what the view shows for a missing file.
    static TrailerWindow* open(const std::string& pagePath, QWidget* parent);

    pageview::PageView& pageView() { return *view_; }

    // The address the view carries in the layout: the trailer's player with its query.
    // The page at `pagePath` replaces it before anything is shown, so it is never loaded.
    static QString layoutAddress();

private:
    std::unique_ptr<pageview::PageView> view_;
};

}  // namespace arlo::ui
