#pragma once

// Where a skinned control draws its picture inside its own area.
namespace arlo::skinned {

// Placement modes, as stored in "PngControl_BackType".
inline constexpr int kPlaceNatural = 0;  // natural size at the top-left (any other value too)
inline constexpr int kPlaceStretch = 1;  // stretched over the whole control
inline constexpr int kPlaceFit = 2;      // shrunk to fit, keeping its proportions, centred

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};

// The picture shrunk to fit the box with its proportions kept; never enlarged. Fractions are
// truncated.
Size fittedSize(Size image, Size box);

// The rectangle the picture is drawn into, in the control's coordinates.
Placement placeImage(Size image, Size box, int mode);

}  // namespace arlo::skinned
