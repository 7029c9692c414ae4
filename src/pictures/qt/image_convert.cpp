#include "pictures/qt/image_convert.h"

#include <gif_lib.h>

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <array>
#include <cstring>
#include <string_view>

#include "pictures/bmp.h"

namespace arlo::pictures {
namespace {

struct NamedFormat {
    const char* name;
    unsigned bit;
};

// Only the common picture formats are read: the bytes come from the network, and the more
// exotic decoders would also take text or random bytes for a picture.
bool isAllowedFormat(const QByteArray& format, unsigned allowed) {
    static const NamedFormat kFormats[] = {
        {"bmp", kReadBmp}, {"jpeg", kReadJpeg}, {"jpg", kReadJpeg}, {"png", kReadPng},
        {"gif", kReadGif}, {"tiff", kReadTiff}, {"tif", kReadTiff}, {"ico", kReadIco}};
    for (const NamedFormat& named : kFormats) {
        if (format == named.name) {
            return (allowed & named.bit) != 0;
        }
    }
    return false;
}

// Whether a JPEG has more than kMaxJpegScans scans. Every scan begins with the bytes FF DA,
// which a JPEG holds elsewhere only inside the payload of a header segment (a thumbnail, say):
// the count is never below the real one. Qt's reader has no limit of its own, and each scan of a
// progressive JPEG is a pass over the whole picture.
bool tooManyScans(const QByteArray& jpeg) {
    int scans = 0;
    for (qsizetype at = jpeg.indexOf("\xFF\xDA"); at >= 0; at = jpeg.indexOf("\xFF\xDA", at + 2)) {
        if (++scans > kMaxJpegScans) {
            return true;
        }
    }
    return false;
}

// `prepare`, when given, makes the image to decode into for the size the header states; one of
// that width and fewer rows gets the picture's top rows only.
bool decodeInto(const QByteArray& picture, QImage& image, const PictureLimits& limits,
                const std::function<QImage(QSize)>& prepare = {}) {
    QBuffer buffer;
    buffer.setData(picture);
    if (!buffer.open(QIODevice::ReadOnly)) {
        image = QImage();
        return false;
    }
    // Told by the content, never by a name.
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (!isAllowedFormat(format, limits.formats) ||
        ((format == "jpeg" || format == "jpg") && tooManyScans(picture))) {
        image = QImage();
        return false;
    }
    buffer.seek(0);
    QImageReader reader(&buffer, format);
    auto tooLarge = [&limits](QSize size) {
        return limits.maxPixels >= 0 &&
               (size.isEmpty() || qint64{size.width()} * size.height() > limits.maxPixels);
    };
    // The size the header states decides before a pixel is decoded.
    const QSize stated = reader.size();
    if (tooLarge(stated)) {
        image = QImage();
        return false;
    }
    if (prepare) {
        image = stated.isValid() ? prepare(stated) : QImage();
        // An image for the top rows only: the rows below are never decoded.
        if (!image.isNull() && image.width() == stated.width() &&
            image.height() < stated.height()) {
            reader.setClipRect(QRect(0, 0, image.width(), image.height()));
        }
    }
    // The readers write into an image of the right size and format as it is.
    if (!reader.read(&image) || image.isNull() || tooLarge(image.size())) {
        image = QImage();
        return false;
    }
    return true;
}

QImage decode(const QByteArray& picture) {
    QImage image;
    decodeInto(picture, image, PictureLimits{});
    return image;
}

void putU32(char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

// Written by hand rather than by Qt's writer so the layout is always the one the preview
// cutting reads: 14 + 40 header bytes, no palette, rows bottom-up, 24 bits per pixel
// (32 with the alpha byte for pictures with transparency).
bool encodeBmp(const QImage& image, QByteArray& out) {
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels =
        image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    if (pixels.isNull()) {
        return false;
    }
    const int bpp = alpha ? 32 : 24;
    const qint64 width = pixels.width(), height = pixels.height();
    const qint64 row = ((width * bpp + 31) >> 5) << 2;
    const qint64 size = 54 + row * height;
    if (size > 0x7FFFFFFF) {
        return false;
    }
    QByteArray bmp(static_cast<qsizetype>(size), '\0');
    char* p = bmp.data();
    writeBmpHeaders(p, static_cast<std::uint32_t>(size), 54, width, height, bpp,
                    static_cast<std::uint32_t>(row * height));
    putU32(p + 38, static_cast<std::uint32_t>(qMax(0, pixels.dotsPerMeterX())));
    putU32(p + 42, static_cast<std::uint32_t>(qMax(0, pixels.dotsPerMeterY())));
    // ARGB32 in memory is B, G, R, A on little-endian machines, as the file wants it.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    const qsizetype copy = static_cast<qsizetype>(width * bpp / 8);
    for (qint64 y = 0; y < height; ++y) {
        std::memcpy(p + 54 + (height - 1 - y) * row, pixels.constScanLine(static_cast<int>(y)),
                    static_cast<std::size_t>(copy));
    }
    out = std::move(bmp);
    return true;
}

bool encodeWithQt(const QImage& image, const char* format, QByteArray& out) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        return false;
    }
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        return false;
    }
    buffer.close();
    out = std::move(bytes);
    return true;
}

int appendToBuffer(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// GIF has one transparent entry and no partial transparency: a pixel less than half opaque
// becomes that entry, any other keeps its straight colour, made opaque.
constexpr QRgb kGifTransparent = 0;

QRgb gifColour(QRgb straight) {
    return qAlpha(straight) < 128 ? kGifTransparent : (straight | 0xFF000000u);
}

// The palette of a picture with at most 256 GIF colours, every colour kept exactly, in the
// order they first appear. False when there are more.
bool exactPalette(const QImage& straight, QImage& indexed) {
    indexed = QImage(straight.size(), QImage::Format_Indexed8);
    if (indexed.isNull()) {
        return false;
    }
    QList<QRgb> table;
    QHash<QRgb, int> index;
    QRgb last = 0;
    int lastIndex = -1;
    for (int y = 0; y < straight.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < straight.width(); ++x) {
            const QRgb colour = gifColour(in[x]);
            if (colour != last || lastIndex < 0) {
                auto found = index.constFind(colour);
                if (found == index.cend()) {
                    if (table.size() == 256) {
                        return false;
                    }
                    found = index.insert(colour, static_cast<int>(table.size()));
                    table.append(colour);
                }
                last = colour;
                lastIndex = *found;
            }
            out[x] = static_cast<uchar>(lastIndex);
        }
    }
    indexed.setColorTable(table);
    return true;
}

// More than 256 colours: Qt's reduction dithers the colours to a fixed colour cube, so the
// same picture always gives the same file. Only the entries the pixels use are kept, and the
// transparent entry is added after them when some pixel needs it.
bool reducedPalette(const QImage& straight, QImage& indexed) {
    const QImage reduced =
        straight.convertToFormat(QImage::Format_RGB32)
            .convertToFormat(QImage::Format_Indexed8, Qt::AutoColor | Qt::PreferDither);
    if (reduced.isNull()) {
        return false;
    }
    const bool alpha = straight.hasAlphaChannel();
    std::array<int, 256> remap;
    remap.fill(-1);
    QList<QRgb> table;
    indexed = QImage(straight.size(), QImage::Format_Indexed8);
    if (indexed.isNull()) {
        return false;
    }
    int transparent = -1;
    for (int y = 0; y < straight.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        const uchar* cube = reduced.constScanLine(y);
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < straight.width(); ++x) {
            const bool clear = alpha && gifColour(in[x]) == kGifTransparent;
            int& entry = clear ? transparent : remap[cube[x]];
            if (entry < 0) {
                if (table.size() == 256) {
                    return false;
                }
                entry = static_cast<int>(table.size());
                table.append(clear ? kGifTransparent : (reduced.color(cube[x]) | 0xFF000000u));
            }
            out[x] = static_cast<uchar>(entry);
        }
    }
    indexed.setColorTable(table);
    return true;
}

// Qt has no GIF writer. A picture with at most 256 colours (the transparent entry counted as
// one) keeps them all exactly; a picture with more is reduced.
bool encodeGif(const QImage& image, QByteArray& out) {
    if (image.width() > 0xFFFF || image.height() > 0xFFFF) {
        return false;
    }
    const QImage straight = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                          : QImage::Format_RGB32);
    QImage indexed;
    if (straight.isNull() ||
        (!exactPalette(straight, indexed) && !reducedPalette(straight, indexed))) {
        return false;
    }
    const QList<QRgb> table = indexed.colorTable();
    if (table.isEmpty() || table.size() > 256) {
        return false;
    }
    const int transparent = static_cast<int>(table.indexOf(kGifTransparent));
    int mapSize = 2;
    while (mapSize < table.size()) {
        mapSize *= 2;
    }
    ColorMapObject* map = GifMakeMapObject(mapSize, nullptr);
    if (map == nullptr) {
        return false;
    }
    for (int i = 0; i < mapSize; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        map->Colors[i] =
            GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                         static_cast<GifByteType>(qBlue(c))};
    }

    QByteArray bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, appendToBuffer, &error);
    if (gif == nullptr) {
        GifFreeMapObject(map);
        return false;
    }
    EGifSetGifVersion(gif, transparent >= 0);
    bool ok = EGifPutScreenDesc(gif, indexed.width(), indexed.height(), GifBitSize(mapSize), 0,
                                map) == GIF_OK;
    GifFreeMapObject(map);  // the screen description keeps its own copy
    if (ok && transparent >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = transparent;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    ok = ok &&
         EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < indexed.height(); ++y) {
        ok = EGifPutLine(gif, indexed.scanLine(y), indexed.width()) == GIF_OK;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok) {
        return false;
    }
    out = std::move(bytes);
    return true;
}

bool encode(const QImage& image, int format, QByteArray& out) {
    switch (format) {
        case kFormatBmp:
            return encodeBmp(image, out);
        case kFormatJpeg:
            // JPEG has no transparency: a pixel keeps its straight colour, as in the other
            // formats, whatever its opacity. Qt's writer would store premultiplied pixels (as
            // the TIFF and ICO readers give them) as they are, darkened by their alpha.
            return encodeWithQt(
                image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_RGB32) : image,
                "jpeg", out);
        case kFormatGif:
            return encodeGif(image, out);
        case kFormatTiff:
            // Qt's writer stores a palette without its alpha: a palette picture with
            // transparency is written with an alpha channel instead.
            return encodeWithQt(image.hasAlphaChannel() && image.depth() <= 8
                                    ? image.convertToFormat(QImage::Format_ARGB32)
                                    : image,
                                "tiff", out);
        case kFormatPng:
            return encodeWithQt(image, "png", out);
        default:
            return false;
    }
}

bool saveWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

int bmpField(const QByteArray& picture, int (*read)(std::string_view)) {
    if (picture.startsWith("BM")) {
        return read(
            std::string_view(picture.constData(), static_cast<std::size_t>(picture.size())));
    }
    QByteArray bmp;
    if (!convertImage(picture, kFormatBmp, bmp)) {
        return 0;
    }
    return read(std::string_view(bmp.constData(), static_cast<std::size_t>(bmp.size())));
}

}  // namespace

bool convertImage(const QByteArray& picture, int format, const QString& savePath,
                  QByteArray& output) {
    if (picture.size() < 3 || format < kFormatBmp || format > kFormatPng) {
        return false;
    }
    const QImage image = decodePicture(picture);
    if (image.isNull()) {
        return false;
    }
    QByteArray encoded;
    if (!encode(image, format, encoded)) {
        return false;
    }
    const QString path = savePath.trimmed();
    if (!path.isEmpty() && !saveWhole(path, encoded)) {
        return false;
    }
    output = std::move(encoded);
    return true;
}

QImage decodePicture(const QByteArray& picture) {
    return picture.size() < 3 ? QImage() : decode(picture);
}

bool decodePictureInto(const QByteArray& picture, QImage& image) {
    if (picture.size() < 3) {
        image = QImage();
        return false;
    }
    return decodeInto(picture, image, PictureLimits{});
}

bool decodePictureInto(const QByteArray& picture, QImage& image, qint64 maxPixels,
                       const std::function<QImage(QSize)>& prepare) {
    if (picture.size() < 3) {
        image = QImage();
        return false;
    }
    return decodeInto(picture, image, PictureLimits{kReadAllFormats, maxPixels}, prepare);
}

QImage decodeBounded(const QByteArray& picture, const PictureLimits& limits) {
    QImage image;
    if (picture.size() >= 3) {
        decodeInto(picture, image, limits);
    }
    return image;
}

int pictureBmpWidth(const QByteArray& picture) {
    return bmpField(picture, &bmpWidth);
}

int pictureBmpHeight(const QByteArray& picture) {
    return bmpField(picture, &bmpHeight);
}

}  // namespace arlo::pictures
