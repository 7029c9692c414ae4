#include "ui/widgets/combo_box.h"

namespace arlo::ui {

void ComboBox::hidePopup() {
    QComboBox::hidePopup();
    emit dropDownClosed();
}

}  // namespace arlo::ui
