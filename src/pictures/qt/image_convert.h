#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

// Re-encoding pictures held in memory. Safe to call from several threads at once: nothing is
// shared between calls.
namespace arlo::pictures {

// Target formats of convertImage.
inline constexpr int kFormatBmp = 1;  // uncompressed bottom-up, 40-byte header, 24 bpp
                                      // (32 bpp when the picture has transparency)
// No transparency: a translucent pixel keeps its colour, its opacity is dropped.
inline constexpr int kFormatJpeg = 2;
// A picture with at most 256 colours keeps them exactly, one with more is reduced to 256.
// Pixels less than half opaque become the transparent colour; the others are made opaque.
inline constexpr int kFormatGif = 3;
inline constexpr int kFormatTiff = 4;
inline constexpr int kFormatPng = 5;

// Decodes `picture` (JPEG of at most kMaxJpegScans scans, PNG, GIF, BMP, TIFF or ICO; the first
// frame of an animation) and encodes it in `format` with the encoder's defaults. When `savePath`
// is not blank after trimming, the encoded bytes are also written to that file, replacing it
// whole or not at all. True when the picture was encoded (and saved, when asked); on false
// `output` is untouched and nothing was written.
bool convertImage(const QByteArray& picture, int format, const QString& savePath,
                  QByteArray& output);
inline bool convertImage(const QByteArray& picture, int format, QByteArray& output) {
    return convertImage(picture, format, QString(), output);
}

// Formats a picture may be read in (PictureLimits::formats), told by its bytes.
inline constexpr unsigned kReadJpeg = 1u << 0;
inline constexpr unsigned kReadPng = 1u << 1;
inline constexpr unsigned kReadGif = 1u << 2;
inline constexpr unsigned kReadBmp = 1u << 3;
inline constexpr unsigned kReadTiff = 1u << 4;
inline constexpr unsigned kReadIco = 1u << 5;
inline constexpr unsigned kReadWebFormats = kReadJpeg | kReadPng | kReadGif | kReadBmp;
inline constexpr unsigned kReadAllFormats = kReadWebFormats | kReadTiff | kReadIco;

// A JPEG with more scans than this is never decoded, whatever the limits: a progressive JPEG
// has about ten, and each scan costs a pass over the whole picture (a few hundred KB of scans
// repeated thousands of times keep a decoder busy for minutes).
inline constexpr int kMaxJpegScans = 64;

// What a picture from the network may be, checked before a pixel is decoded.
struct PictureLimits {
    unsigned formats = kReadAllFormats;
    // The most pixels its header may state; one whose reader cannot tell its size before
    // decoding is refused. < 0: no limit of ours, only Qt's own allocation limit.
    qint64 maxPixels = -1;
};

// Cover pictures and captcha pictures: the web formats, up to 16 times the pixels of their
// documented sizes (160 x 90 and 100 x 35), so 640 x 360 and 400 x 140 at most, say.
inline constexpr PictureLimits kCoverLimits{kReadWebFormats, 16 * 160 * 90};
inline constexpr PictureLimits kCaptchaLimits{kReadWebFormats, 16 * 100 * 35};

// The picture decoded within `limits` (the first frame of an animation); a null image when it
// cannot be read or is beyond them.
QImage decodeBounded(const QByteArray& picture, const PictureLimits& limits);

// The picture decoded as convertImage decodes it (the same formats, the first frame of an
// animation); a null image when it cannot be read.
QImage decodePicture(const QByteArray& picture);
// The same into `image`, whose pixel buffer is reused when the picture has its size and
// format (a series of equal pictures is decoded without allocating). False, and `image`
// null, when the picture cannot be read.
bool decodePictureInto(const QByteArray& picture, QImage& image);
// The same for a picture of at most `maxPixels` pixels (< 0: no limit of ours): one whose header
// states more, or whose reader cannot tell its size before decoding, is refused without being
// decoded. `prepare`, when given, makes the image to decode into for the picture's pixel size once
// the header is read (an image over memory of the caller's, say); a reader that wants another size
// or format replaces it with an image of its own. An image of the picture's width and fewer rows
// asks for the top rows only: the rest of the picture is not decoded, and `image` holds those rows.
bool decodePictureInto(const QByteArray& picture, QImage& image, qint64 maxPixels,
                       const std::function<QImage(QSize)>& prepare = {});

// Pixel width and height of a picture as its BMP form states them; a picture in another
// format is converted first. 0 when it cannot be read.
int pictureBmpWidth(const QByteArray& picture);
int pictureBmpHeight(const QByteArray& picture);

}  // namespace arlo::pictures
