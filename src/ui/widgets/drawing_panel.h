#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace arlo::ui {

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

}  // namespace arlo::ui
