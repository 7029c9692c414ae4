#pragma once

#include <QImage>
#include <string_view>

namespace arlo::pictures {

// A cover picture as it came from the cover host, decoded; a null image when it is not a
// JPEG, PNG, GIF or BMP picture (an error page, or any other format Qt has a plugin for: the
// bytes come from the network, and the less common decoders are not exposed to them) or is
// beyond kCoverLimits.
QImage decodeCoverPicture(std::string_view bytes);

}  // namespace arlo::pictures
