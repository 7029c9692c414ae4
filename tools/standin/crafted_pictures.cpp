#include "standin/crafted_pictures.h"

#include <zlib.h>

#include <map>
#include <mutex>
#include <vector>

#include "standin/picture_canvas.h"

namespace arlo::standin {
namespace {

unsigned byteAt(const std::string& bytes, std::size_t at) {
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u;
}

// A JPEG cut after each of its scans: piece i runs from the end of scan i - 1 (from the start
// for the first) to the marker after scan i's entropy-coded data, so it holds the tables written
// for that scan too.
std::vector<std::string> piecesOf(const std::string& jpeg) {
    std::vector<std::string> pieces;
    std::size_t at = 2, from = 0;  // after SOI
    while (at + 4 <= jpeg.size() && byteAt(jpeg, at) == 0xFF && byteAt(jpeg, at + 1) != 0xD9) {
        const std::size_t length = byteAt(jpeg, at + 2) << 8 | byteAt(jpeg, at + 3);
        at += 2 + length;
        if (byteAt(jpeg, at - length - 1) != 0xDA) {
            continue;
        }
        // Entropy-coded data ends at an FF that is neither stuffing (00) nor a restart marker.
        while (at + 1 < jpeg.size() &&
               !(byteAt(jpeg, at) == 0xFF && byteAt(jpeg, at + 1) != 0 &&
                 (byteAt(jpeg, at + 1) < 0xD0 || byteAt(jpeg, at + 1) > 0xD7))) {
            ++at;
        }
        pieces.push_back(jpeg.substr(from, at - from));
        from = at;
    }
    return pieces;
}

void appendU32(std::string& out, unsigned long value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 24 - 8 * i : 8 * i;
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void appendPngChunk(std::string& png, const char* type, const std::string& data) {
    appendU32(png, data.size(), true);
    const std::string typed = std::string(type, 4) + data;
    png += typed;
    appendU32(
        png,
        crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())),
        true);
}

// Bits written from the lowest of each byte up, as WebP's lossless format reads them.
struct LsbBits {
    std::string bytes;
    int used = 8;
    void put(unsigned value, int count) {
        for (int i = 0; i < count; ++i) {
            if (used == 8) {
                bytes += '\0';
                used = 0;
            }
            bytes.back() = static_cast<char>(bytes.back() | (((value >> i) & 1u) << used));
            ++used;
        }
    }
};

}  // namespace

std::string jpegWithScans(int width, int height, int scans) {
    const std::vector<std::string> pieces =
        piecesOf(Canvas(width, height, Rgb{90, 140, 200}).jpeg(90, true));
    if (pieces.empty() || scans < 1) {
        return {};
    }
    std::string out;
    for (std::size_t i = 0; i < static_cast<std::size_t>(scans); ++i) {
        out += pieces[std::min(i, pieces.size() - 1)];
    }
    return out + "\xFF\xD9";
}

std::string flatPng(int width, int height) {
    std::string header;
    appendU32(header, static_cast<unsigned long>(width), true);
    appendU32(header, static_cast<unsigned long>(height), true);
    header += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit grey, deflate, no interlace
    // Every row: filter 0, then grey.
    std::vector<Bytef> row(static_cast<std::size_t>(width) + 1, 0x80);
    row[0] = 0;
    z_stream zip{};
    deflateInit(&zip, Z_BEST_COMPRESSION);
    std::string data;
    std::vector<Bytef> out(1 << 16);
    for (int y = 0; y <= height; ++y) {
        zip.next_in = row.data();
        zip.avail_in = y < height ? static_cast<uInt>(row.size()) : 0;
        do {
            zip.next_out = out.data();
            zip.avail_out = static_cast<uInt>(out.size());
            deflate(&zip, y < height ? Z_NO_FLUSH : Z_FINISH);
            data.append(reinterpret_cast<const char*>(out.data()), out.size() - zip.avail_out);
        } while (zip.avail_out == 0);
    }
    deflateEnd(&zip);
    std::string png = "\x89PNG\r\n\x1A\n";
    appendPngChunk(png, "IHDR", header);
    appendPngChunk(png, "IDAT", data);
    appendPngChunk(png, "IEND", {});
    return png;
}

std::string flatWebp(int width, int height) {
    LsbBits bits;
    bits.put(0x2F, 8);  // the lossless signature
    bits.put(static_cast<unsigned>(width - 1), 14);
    bits.put(static_cast<unsigned>(height - 1), 14);
    bits.put(0, 1);  // no alpha
    bits.put(0, 3);  // version 0
    bits.put(0, 1);  // no transform
    bits.put(0, 1);  // no colour cache
    bits.put(0, 1);  // one group of prefix codes
    // Green, red, blue, alpha, distance: each a simple code of one symbol, so that every pixel
    // takes no bits at all.
    for (const unsigned symbol : {140u, 90u, 200u, 255u, 0u}) {
        bits.put(1, 1);  // simple code
        bits.put(0, 1);  // one symbol
        bits.put(1, 1);  // of 8 bits
        bits.put(symbol, 8);
    }
    std::string chunk = bits.bytes;
    if (chunk.size() % 2 != 0) {
        chunk += '\0';
    }
    std::string webp = "RIFF";
    appendU32(webp, 4 + 8 + chunk.size(), false);
    webp += "WEBPVP8L";
    appendU32(webp, bits.bytes.size(), false);
    return webp + chunk;
}

const std::string& craftedPicture(std::string_view name) {
    static std::mutex mutex;
    static std::map<std::string, std::string, std::less<>> made;
    const std::lock_guard lock(mutex);
    const auto found = made.find(name);
    if (found != made.end()) {
        return found->second;
    }
    std::string& picture = made[std::string(name)];
    if (name == kCraftedPictures[0]) {
        picture = jpegWithScans(400, 140, 20000);
    } else if (name == kCraftedPictures[1]) {
        picture = flatPng(3000, 3000);
    } else if (name == kCraftedPictures[2]) {
        picture = flatWebp(5000, 5000);
    }
    return picture;
}

}  // namespace arlo::standin
