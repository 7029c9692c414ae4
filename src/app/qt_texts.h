#pragma once

#include <QString>

namespace arlo::app {

// Gives the toolkit's own texts (the standard buttons of message boxes: 确定, 取消, 是, 否)
// in Simplified Chinese like the program's own texts, whatever the user's locale. Reads
// qtbase's translations from `folder`, Qt's translations folder when empty; false when they are
// not there (the texts then stay in English). Call once the application object exists.
bool useChineseQtTexts(const QString& folder = {});

}  // namespace arlo::app
