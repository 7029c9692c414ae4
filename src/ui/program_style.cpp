#include "ui/program_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QWidget>
#include <optional>

namespace arlo::ui {
namespace {

// An icon the base style makes on first use.
class StyleIconOnFirstUse final : public QIconEngine {
public:
    StyleIconOnFirstUse(QStyle* style, QStyle::StandardPixmap which, const QWidget* widget)
        : style_(style), which_(which), widget_(const_cast<QWidget*>(widget)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("arlo-style-icon-on-first-use"); }
    QIconEngine* clone() const override { return new StyleIconOnFirstUse(*this); }

private:
    const QIcon& icon() {
        if (!icon_) {
            icon_ = style_ ? style_->standardIcon(which_, nullptr, widget_) : QIcon();
        }
        return *icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    QPointer<QWidget> widget_;
    std::optional<QIcon> icon_;
};

}  // namespace

ProgramStyle::ProgramStyle(QStyle* base) : QProxyStyle(base) {}

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (option == nullptr && (icon == SP_ToolBarHorizontalExtensionButton ||
                              icon == SP_ToolBarVerticalExtensionButton)) {
        return QIcon(new StyleIconOnFirstUse(baseStyle(), icon, widget));
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void useProgramStyle() {
    const QString name = QApplication::style()->name();
    QStyle* base = QStyleFactory::create(name);
    if (base == nullptr) {
        return;  // the style in use stays
    }
    QApplication::setStyle(new ProgramStyle(base));
}

const QStyle& drawingStyle(const QStyle& style) {
    if (const auto* ours = qobject_cast<const ProgramStyle*>(&style)) {
        return *ours->baseStyle();
    }
    return style;
}

}  // namespace arlo::ui
