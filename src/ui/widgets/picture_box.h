#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

namespace arlo::ui {

// Where a picture box draws its picture: a picture wider than the box is scaled down to the
// box's width, keeping its proportions; then it is centred, so a taller picture shows its
// middle rows.
QRect pictureRect(QSize picture, QSize box);

// Shows a picture, as pictureRect() places it.
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

}  // namespace arlo::ui
