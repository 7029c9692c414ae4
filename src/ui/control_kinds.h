#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QString>

class QGroupBox;
class QStackedWidget;
class QTimer;
class QCheckBox;

// How each kind of control in the window layouts is made in Qt. Every window builds its
// controls through the make* functions below, so this list is the whole mapping:
//
//   Window             QMainWindow / QDialog / QWidget; setOuterGeometry() keeps the outer size
//   Label              Label (QLabel): transparent background, mouse events go to the parent
//   Transparent label  Label that ignores the mouse entirely
//   Edit box           EditBox (QLineEdit; gotFocus/lostFocus) or QPlainTextEdit (multi-line)
//   Combo box          ComboBox (QComboBox): "selection changed" is activated(), which only the
//                      user's choice emits; "drop-down closed" is dropDownClosed()
//   Picture box        PictureBox: opaque, its picture centred, narrowed to fit
//   Drawing panel      DrawingPanel: its background picture stretched over the panel
//   Frame panel        FramePanel (QFrame, one-pixel box)
//   Group box          QGroupBox without title; children placed relative to its top left
//   Push button        QPushButton
//   Image button       ImageButton: normal/hover/pressed pictures, or a plain button with its
//                      caption while it has none
//   Check box          QCheckBox
//   Progress bar       QProgressBar (text hidden)
//   Hyperlink label    HyperlinkLabel: underlined, leftPressed() on a left press
//   Timer              QTimer owned by its window, stopped
//   List view          EpisodeListView over EpisodeListModel (episode_list_view.h)
//   Page container     QStackedWidget (no tabs)
//   Scroll bar         vertical QScrollBar; its wheel turns are reported, not acted on
//   Web browser        the page view, a library of its own loaded on first use
//
// Mouse moves, presses, releases and wheel turns of any control are reported by its
// MouseWatcher (watchMouse()).
namespace arlo::ui {

// Reports the mouse events of one widget. Mouse moves are tracked without a button held.
class MouseWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MouseWatcher)

public:
    // The watcher of `widget`, created on first use. With `consumeWheel` the widget itself
    // no longer reacts to wheel turns; the handler decides.
    static MouseWatcher* of(QWidget* widget, bool consumeWheel = false);

signals:
    // Positions are relative to the watched widget, and in screen coordinates.
    void moved(QPoint pos, QPoint globalPos);
    void leftPressed(QPoint pos);
    void leftReleased(QPoint pos);
    // Signed distance in wheel notches, positive away from the user.
    void wheelTurned(int notches);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MouseWatcher(QWidget* widget, bool consumeWheel);
    bool consumeWheel_;
    int wheelRemainder_ = 0;
};

class Label final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Label)

public:
    explicit Label(QWidget* parent) : QLabel(parent) {}
};

class HyperlinkLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HyperlinkLabel)

public:
    explicit HyperlinkLabel(QWidget* parent);

signals:
    void leftPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class EditBox final : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditBox)

public:
    explicit EditBox(QWidget* parent) : QLineEdit(parent) {}

signals:
    void gotFocus();
    void lostFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class ComboBox final : public QComboBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ComboBox)

public:
    explicit ComboBox(QWidget* parent) : QComboBox(parent) {}
    void hidePopup() override;

signals:
    void dropDownClosed();
};

// Where a picture box draws its picture: a picture wider than the box is scaled down to the
// box's width, keeping its proportions; then it is centred, so a taller picture shows its
// middle rows.
QRect pictureRect(QSize picture, QSize box);

// Shows a picture, as pictureRect() places it.
class PictureBox final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureBox)

public:
    explicit PictureBox(QWidget* parent) : QWidget(parent) {}
    void setPicture(const QPixmap& picture);
    // Shows the picture of a file or resource, read when first needed; a missing one leaves
    // the box empty.
    void setPicture(const QString& path);
    const QPixmap& picture() const;
    // The file or resource the picture came from; empty for a picture set from memory.
    const QString& pictureSource() const { return source_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    mutable QPixmap picture_;
    QString source_;
    mutable bool loaded_ = true;
};

// A panel whose background picture is stretched over it.
class DrawingPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DrawingPanel)

public:
    explicit DrawingPanel(QWidget* parent) : QWidget(parent) {}
    void setBackgroundPicture(const QPixmap& picture);
    void setBackgroundPicture(const QString& path);
    const QPixmap& backgroundPicture() const { return picture_; }
    const QString& backgroundSource() const { return source_; }

signals:
    // Every time the background picture is set.
    void backgroundChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QString source_;
};

class FramePanel final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FramePanel)

public:
    explicit FramePanel(QWidget* parent);
};

// A button drawn from its state pictures, or an ordinary push button showing its caption
// while it has none.
class ImageButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageButton)

public:
    explicit ImageButton(QWidget* parent) : QPushButton(parent) {}
    void setStatePictures(const QPixmap& normal, const QPixmap& hover, const QPixmap& pressed);
    // The same from files or resources, read when the button is first drawn.
    void setStatePictures(const QString& normal, const QString& hover, const QString& pressed);
    bool hasStatePictures() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void loadPendingPictures() const;
    mutable QStringList pending_;
    mutable QPixmap normal_;
    mutable QPixmap hover_;
    mutable QPixmap pressed_;
};

// Builders: each makes the control, gives it its designer name, parent, geometry and font.
Label* makeLabel(QWidget* parent, const QString& name, QRect geometry, const QString& caption,
                 const QFont& font, const QColor& colour = Qt::black, bool wordWrap = false);
// Drawn over its siblings and transparent to the mouse.
Label* makeTransparentLabel(QWidget* parent, const QString& name, QRect geometry,
                            const QString& caption, const QFont& font);
HyperlinkLabel* makeHyperlink(QWidget* parent, const QString& name, QRect geometry,
                              const QString& caption, const QFont& font);
EditBox* makeEditBox(QWidget* parent, const QString& name, QRect geometry, const QString& content,
                     const QFont& font, const QColor& colour = Qt::black);
QPlainTextEdit* makeMultiLineEditBox(QWidget* parent, const QString& name, QRect geometry,
                                     const QString& content, const QFont& font,
                                     const QColor& colour = Qt::black);
ComboBox* makeComboBox(QWidget* parent, const QString& name, QRect geometry,
                       const QStringList& items, const QFont& font);
PictureBox* makePictureBox(QWidget* parent, const QString& name, QRect geometry,
                           const QString& picture = {});
DrawingPanel* makeDrawingPanel(QWidget* parent, const QString& name, QRect geometry);
FramePanel* makeFramePanel(QWidget* parent, const QString& name, QRect geometry);
QGroupBox* makeGroupBox(QWidget* parent, const QString& name, QRect geometry);
QPushButton* makePushButton(QWidget* parent, const QString& name, QRect geometry,
                            const QString& caption, const QFont& font);
ImageButton* makeImageButton(QWidget* parent, const QString& name, QRect geometry,
                             const QString& caption, const QFont& font);
QCheckBox* makeCheckBox(QWidget* parent, const QString& name, QRect geometry,
                        const QString& caption, const QFont& font);
QProgressBar* makeProgressBar(QWidget* parent, const QString& name, QRect geometry,
                              int maximum = 100);
QTimer* makeTimer(QObject* owner, const QString& name);
QStackedWidget* makePageContainer(QWidget* parent, const QString& name, QRect geometry, int pages);
QScrollBar* makeScrollBar(QWidget* parent, const QString& name, QRect geometry);

// Places a top-level window at `topLeft` with the outer size `outerSize` (frame included).
// Where the window system draws no frame the client area takes the whole size. With `fixed`
// the user cannot resize the window.
void setOuterGeometry(QWidget* window, QPoint topLeft, QSize outerSize, bool fixed);

}  // namespace arlo::ui
