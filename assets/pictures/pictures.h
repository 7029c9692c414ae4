#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>

// The program's built-in pictures, carried as Qt resources under ":/pictures/". They are drawn
// by make_pictures.cpp in this folder and committed; linking arlo::pictures makes them
// available without any Q_INIT_RESOURCE call.
namespace arlo::pictures {

// Main window
inline constexpr QLatin1String kLogo{":/pictures/logo.png"};                       // PNG 128x38
inline constexpr QLatin1String kLogoHover{":/pictures/logo_hover.png"};            // PNG 128x38
inline constexpr QLatin1String kDefaultPreview{":/pictures/default_preview.jpg"};  // JPEG 160x90
inline constexpr QLatin1String kNoPreview{":/pictures/no_preview.jpg"};            // JPEG 160x90
inline constexpr QLatin1String kMagnifier{":/pictures/magnifier.jpg"};             // JPEG 15x15
inline constexpr QLatin1String kSeriesLogo{":/pictures/series_logo.png"};          // PNG 290x91
inline constexpr QLatin1String kNothingFound{":/pictures/nothing_found.png"};      // PNG 391x391

// Source icons of the hidden image buttons, PNG 32x32
inline constexpr QLatin1String kIconIqiyiNormal{":/pictures/icon_iqiyi_normal.png"};
inline constexpr QLatin1String kIconIqiyiHover{":/pictures/icon_iqiyi_hover.png"};
inline constexpr QLatin1String kIconIqiyiPressed{":/pictures/icon_iqiyi_pressed.png"};
inline constexpr QLatin1String kIconLetvNormal{":/pictures/icon_letv_normal.png"};
inline constexpr QLatin1String kIconLetvHover{":/pictures/icon_letv_hover.png"};
inline constexpr QLatin1String kIconLetvPressed{":/pictures/icon_letv_pressed.png"};

// Player window's previous and next buttons, PNG 72x32 showing 上一集 / 下一集
inline constexpr QLatin1String kPrevNormal{":/pictures/prev_normal.png"};
inline constexpr QLatin1String kPrevHover{":/pictures/prev_hover.png"};
inline constexpr QLatin1String kPrevPressed{":/pictures/prev_pressed.png"};
inline constexpr QLatin1String kNextNormal{":/pictures/next_normal.png"};
inline constexpr QLatin1String kNextHover{":/pictures/next_hover.png"};
inline constexpr QLatin1String kNextPressed{":/pictures/next_pressed.png"};

// About and Guestbook windows
inline constexpr QLatin1String kAbout{":/pictures/about.jpg"};          // JPEG 120x246
inline constexpr QLatin1String kGuestbook{":/pictures/guestbook.gif"};  // GIF 24x24

// Poster grid: the hover overlay (stretched over a poster) and its play button, all with
// per-pixel alpha
inline constexpr QLatin1String kOverlay{":/pictures/overlay.png"};         // PNG 35x34
inline constexpr QLatin1String kPlayNormal{":/pictures/play_normal.png"};  // PNG 54x54
inline constexpr QLatin1String kPlayHover{":/pictures/play_hover.png"};    // PNG 54x54

inline constexpr int kPosterCount = 18;

// The program's icon (the logo's gear and 迷 on a square tile), PNG, one picture per size.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Resource path of movie poster n (JPEG 162x230), n = 1..18; empty outside that range.
QString poster(int n);

// Resource path of the icon drawn at `size` x `size` pixels; empty for a size not drawn.
QString appIcon(int size);

// Every picture but the icon also comes drawn for screens of twice the density, as
// "name@2x.ext" beside "name.ext", showing the same at twice the pixels.
//
// The picture to show where `ratio` device pixels make one logical pixel: from any ratio above
// 1, the "@2x" twin of `path` when it exists (scaled down, it stays sharper than the picture
// for ratio 1 scaled up); `path` otherwise.
QString forRatio(const QString& path, double ratio);

// Device pixels per logical pixel of the picture at `path`: 2 for a "@2x" name, else 1.
int ratioOf(const QString& path);

// The bytes of a built-in picture; empty when the path names no resource.
QByteArray bytes(const QString& path);

}  // namespace arlo::pictures
