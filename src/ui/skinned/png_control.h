#pragma once

#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

// Skinned controls: an ordinary widget taken over to show a PNG picture with per-pixel alpha
// over whatever lies beneath it. A picture box shows one picture; a button shows one of four
// by its state (normal, hover, pressed, disabled). Neither draws a frame or text.
//
// All state lives in dynamic properties of the widget (names below), so any code holding only
// the widget can read or change it. Integers read as 0 when absent; pictures are QImage values.
// The objects themselves only hold the widget: copies refer to the same widget, and
// destroying an object leaves the widget skinned. UI thread only.
namespace arlo::skinned {

inline constexpr char kPropType[] = "PngControl_Type";          // 2 picture box, 3 button
inline constexpr char kPropHooked[] = "PngControl_WndProc";     // 1 once the widget is hooked
inline constexpr char kPropCache[] = "PngControl_CacheBitmap";  // what lay beneath, last paint
inline constexpr char kPropBackImage[] = "PngControl_BackImage";
inline constexpr char kPropPlacement[] = "PngControl_BackType";
inline constexpr char kPropNormalImage[] = "PngControl_NormalImage";
inline constexpr char kPropHoverImage[] = "PngControl_OverlImage";
inline constexpr char kPropPressedImage[] = "PngControl_DownImage";
inline constexpr char kPropDisabledImage[] = "PngControl_DisableImage";
inline constexpr char kPropDrawState[] = "Nimbus_DrawState";
inline constexpr char kPropFocused[] = "PngControl_IsFoucs";
inline constexpr char kPropToolTip[] = "Nimbus_ToolTips";

inline constexpr int kTypePictureBox = 2;
inline constexpr int kTypeButton = 3;

// Object names of the event filters that take over a control and its parent.
inline constexpr char kControlHookName[] = "PngControl_ControlHook";
inline constexpr char kParentHookName[] = "PngControl_ParentHook";

// A picture from encoded bytes (the first frame of an animation); null when undecodable.
// `ratio` is the device pixels per logical pixel it was drawn for: a control places it by its
// size in logical pixels.
QImage loadImageFromBytes(const QByteArray& data, int ratio = 1);

class PngControl {
public:
    PngControl() = default;

    // Takes over the widget's look (the part common to both kinds); false for no widget.
    bool attach(QWidget* control);

    QWidget* widget() const { return widget_; }
    bool isValid() const { return !widget_.isNull(); }

    void setWindowProperty(const char* name, int value) const;
    int windowProperty(const char* name) const;

    // Delivers an event to the control as its own events are delivered.
    bool sendEvent(QEvent* event) const;

    // The first call gives the control its tooltip, later calls change the text. `option` is
    // accepted for callers that pass it; the tip always appears where the toolkit puts tips.
    void setToolTip(const QString& text, std::optional<int> option = std::nullopt) const;

    // Moves and resizes in the parent's coordinates; values not given stay as they are.
    // `noRedraw` leaves repainting to the next natural paint.
    void move(std::optional<int> x, std::optional<int> y, std::optional<int> width = std::nullopt,
              std::optional<int> height = std::nullopt, bool noRedraw = false) const;

    // Schedules a full redraw of the control.
    void repaint() const;

protected:
    // Redraws the control and the parent's area under it.
    void refresh() const;

    QPointer<QWidget> widget_;
};

class PngPictureBox final : public PngControl {
public:
    // Creates a plain child widget of `parent` and attaches to it; returns it.
    QWidget* create(QWidget* parent, int x, int y, int width, int height);
    // A null `backImage` leaves the picture unset.
    bool attachAsPictureBox(QWidget* control, const QImage& backImage = QImage());
    void setBackImage(const QImage& image) const;
    void setBackImageFromBytes(const QByteArray& data) const;
    void setPlacementMode(int mode) const;
};

class PngButton final : public PngControl {
public:
    // Creates a push button child of `parent` and attaches to it; returns it.
    QWidget* create(QWidget* parent, int x, int y, int width, int height, const QString& caption);
    // A null `normalImage` leaves the normal picture unset.
    bool attachAsButton(QWidget* control, const QImage& normalImage = QImage());
    // Pictures given replace the state's picture (a null one removes it); absent ones stay.
    void setImages(std::optional<QImage> normal, std::optional<QImage> hover = std::nullopt,
                   std::optional<QImage> pressed = std::nullopt,
                   std::optional<QImage> disabled = std::nullopt) const;
    void setImagesFromBytes(std::optional<QByteArray> normal,
                            std::optional<QByteArray> hover = std::nullopt,
                            std::optional<QByteArray> pressed = std::nullopt,
                            std::optional<QByteArray> disabled = std::nullopt) const;
    void setPlacementMode(int mode) const;
};

}  // namespace arlo::skinned
