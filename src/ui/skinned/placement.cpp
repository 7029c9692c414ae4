#include "ui/skinned/placement.h"

#include <cstdint>

namespace arlo::skinned {

Size fittedSize(Size image, Size box) {
    std::int64_t w = image.width, h = image.height;
    if (w > box.width) {
        h = h * box.width / w;
        w = box.width;
    }
    if (h > box.height) {
        w = w * box.height / h;
        h = box.height;
    }
    return {static_cast<int>(w), static_cast<int>(h)};
}

Placement placeImage(Size image, Size box, int mode) {
    switch (mode) {
        case kPlaceStretch:
            return {0, 0, box.width, box.height};
        case kPlaceFit: {
            const Size fitted = fittedSize(image, box);
            return {(box.width - fitted.width) / 2, (box.height - fitted.height) / 2, fitted.width,
                    fitted.height};
        }
        default:
            return {0, 0, image.width, image.height};
    }
}

}  // namespace arlo::skinned
