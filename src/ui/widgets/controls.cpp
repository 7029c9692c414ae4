#include "ui/widgets/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QStackedWidget>
#include <QTimer>

#include "ui/ui_look.h"

namespace arlo::ui {

namespace {

template <class W>
W* named(W* widget, const QString& name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace

Label* makeLabel(QWidget* parent, const QString& name, QRect geometry, const QString& caption,
                 const QFont& font, const QColor& colour, bool wordWrap) {
    auto* label = named(new Label(parent), name, geometry);
    label->setText(caption);
    label->setFont(font);
    label->setWordWrap(wordWrap);
    label->setAlignment(wordWrap ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter);
    setTextColour(label, colour);
    return label;
}

Label* makeTransparentLabel(QWidget* parent, const QString& name, QRect geometry,
                            const QString& caption, const QFont& font) {
    Label* label = makeLabel(parent, name, geometry, caption, font);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->raise();
    return label;
}

HyperlinkLabel* makeHyperlink(QWidget* parent, const QString& name, QRect geometry,
                              const QString& caption, const QFont& font) {
    auto* link = named(new HyperlinkLabel(parent), name, geometry);
    QFont underlined = font;
    underlined.setUnderline(true);
    link->setFont(underlined);
    link->setText(caption);
    link->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextColour(link, QColor(0x00, 0x00, 0xFF));
    return link;
}

EditBox* makeEditBox(QWidget* parent, const QString& name, QRect geometry, const QString& content,
                     const QFont& font, const QColor& colour) {
    auto* edit = named(new EditBox(parent), name, geometry);
    edit->setFont(font);
    edit->setText(content);
    setTextColour(edit, colour);
    return edit;
}

QPlainTextEdit* makeMultiLineEditBox(QWidget* parent, const QString& name, QRect geometry,
                                     const QString& content, const QFont& font,
                                     const QColor& colour) {
    auto* edit = named(new QPlainTextEdit(parent), name, geometry);
    edit->setFont(font);
    edit->setPlainText(content);
    setTextColour(edit, colour);
    return edit;
}

ComboBox* makeComboBox(QWidget* parent, const QString& name, QRect geometry,
                       const QStringList& items, const QFont& font) {
    auto* combo = named(new ComboBox(parent), name, geometry);
    combo->setFont(font);
    combo->addItems(items);
    return combo;
}

PictureBox* makePictureBox(QWidget* parent, const QString& name, QRect geometry,
                           const QString& picture) {
    auto* box = named(new PictureBox(parent), name, geometry);
    if (!picture.isEmpty()) {
        box->setPicture(picture);
    }
    return box;
}

DrawingPanel* makeDrawingPanel(QWidget* parent, const QString& name, QRect geometry) {
    return named(new DrawingPanel(parent), name, geometry);
}

FramePanel* makeFramePanel(QWidget* parent, const QString& name, QRect geometry) {
    return named(new FramePanel(parent), name, geometry);
}

QGroupBox* makeGroupBox(QWidget* parent, const QString& name, QRect geometry) {
    auto* group = named(new QGroupBox(parent), name, geometry);
    group->setFont(uiFont(kDefaultFontPixels));
    return group;
}

QPushButton* makePushButton(QWidget* parent, const QString& name, QRect geometry,
                            const QString& caption, const QFont& font) {
    auto* button = named(new QPushButton(caption, parent), name, geometry);
    button->setFont(font);
    return button;
}

ImageButton* makeImageButton(QWidget* parent, const QString& name, QRect geometry,
                             const QString& caption, const QFont& font) {
    auto* button = named(new ImageButton(parent), name, geometry);
    button->setText(caption);
    button->setFont(font);
    return button;
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& name, QRect geometry,
                        const QString& caption, const QFont& font) {
    auto* box = named(new QCheckBox(caption, parent), name, geometry);
    box->setFont(font);
    return box;
}

QProgressBar* makeProgressBar(QWidget* parent, const QString& name, QRect geometry, int maximum) {
    auto* bar = named(new QProgressBar(parent), name, geometry);
    bar->setRange(0, maximum);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QTimer* makeTimer(QObject* owner, const QString& name) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(name);
    return timer;
}

QStackedWidget* makePageContainer(QWidget* parent, const QString& name, QRect geometry, int pages) {
    auto* container = named(new QStackedWidget(parent), name, geometry);
    for (int page = 0; page < pages; ++page) {
        container->addWidget(new QWidget(container));
    }
    container->setCurrentIndex(0);
    return container;
}

QScrollBar* makeScrollBar(QWidget* parent, const QString& name, QRect geometry) {
    auto* bar = named(new QScrollBar(Qt::Vertical, parent), name, geometry);
    MouseWatcher::of(bar, true);
    return bar;
}

}  // namespace arlo::ui
