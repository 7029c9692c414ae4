#pragma once

#include <QProxyStyle>

// The program's style: the platform's own in every respect, except that the icons of the tool
// and menu bars' overflow buttons are made when they are first drawn. Each menu bar makes its
// overflow button as it is built, and making that icon reads a picture file whose format is
// found by loading every image format plugin; the Main window's first paint has no use for it.
namespace arlo::ui {

class ProgramStyle final : public QProxyStyle {
    Q_OBJECT

public:
    // Wraps `base` (taken over).
    explicit ProgramStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// Makes the application's style a ProgramStyle over the style it has now.
void useProgramStyle();

// The style that draws for `style`: the one a ProgramStyle wraps, `style` itself otherwise.
const QStyle& drawingStyle(const QStyle& style);

}  // namespace arlo::ui
