#pragma once

#include <string>
#include <vector>

#include "pictures/sheet.h"

namespace arlo::pictures {

// Cuts a sprite sheet in any picture format convertImage reads into its 10 x 10 frames with
// one decode: each frame holds the pixels cropBmp cuts from convertImage's BMP of the sheet,
// without that BMP ever being encoded. False, with `frames` untouched, when the sheet cannot
// be decoded, when its header states more than kMaxSheetPixels (it is then never decoded), or
// when its frames would take `frames` past kMaxLoadFramePixels.
bool cutSpriteSheet(const std::string& sheet, long wanted, std::vector<Picture>& frames,
                    SheetCut& cut);

// Hands frames that are no longer shown to later cuts, which reuse their memory instead of
// having fresh pages mapped and cleared for every frame; at most one load's worth is kept.
// Safe from any thread.
void recycleFrames(std::vector<Picture>&& frames);

}  // namespace arlo::pictures
