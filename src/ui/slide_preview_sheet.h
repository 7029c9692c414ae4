#pragma once

#include <string>
#include <vector>

#include "ui/preview/slide_preview_loader.h"

namespace arlo::ui {

// Cuts a sprite sheet in any picture format convertImage reads into its 10 x 10 frames with
// one decode: the frames are byte for byte what cropBmp cuts from convertImage's BMP of the
// sheet, without encoding that BMP first. A preview::SheetCutter.
bool cutSpriteSheet(const std::string& sheet, long wanted, std::vector<std::string>& frames,
                    preview::SheetCut& cut);

// Hands frames that are no longer shown to later cuts, which reuse their memory instead of
// having fresh pages mapped and cleared for every frame. Safe from any thread.
void recycleFrames(std::vector<std::string>&& frames);

}  // namespace arlo::ui
