#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QStringList>

namespace arlo::ui {

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

}  // namespace arlo::ui
