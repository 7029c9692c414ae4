#pragma once

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QString>

#include "ui/widgets/combo_box.h"
#include "ui/widgets/drawing_panel.h"
#include "ui/widgets/edit_box.h"
#include "ui/widgets/frame_panel.h"
#include "ui/widgets/hyperlink_label.h"
#include "ui/widgets/image_button.h"
#include "ui/widgets/label.h"
#include "ui/widgets/mouse_watcher.h"
#include "ui/widgets/outer_geometry.h"
#include "ui/widgets/picture_box.h"

class QCheckBox;
class QGroupBox;
class QStackedWidget;
class QTimer;

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

}  // namespace arlo::ui
