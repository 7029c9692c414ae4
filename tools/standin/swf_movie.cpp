#include "standin/swf_movie.h"

#include <cstdint>
#include <vector>

namespace arlo::standin {
namespace {

constexpr int kTwips = 20;  // per pixel

// Writes SWF bit fields (most significant bit first) and little-endian integers.
class SwfWriter {
public:
    void bits(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (bitPos_ == 0) {
                bytes_.push_back('\0');
            }
            if ((value >> i) & 1U) {
                bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> bitPos_));
            }
            bitPos_ = (bitPos_ + 1) % 8;
        }
    }
    void signedBits(int value, int count) {
        bits(static_cast<std::uint32_t>(value) & ((1U << count) - 1U), count);
    }
    void align() { bitPos_ = 0; }
    void u8(unsigned value) {
        align();
        bytes_.push_back(static_cast<char>(value & 0xFF));
    }
    void u16(unsigned value) {
        u8(value);
        u8(value >> 8);
    }
    void u32(std::uint32_t value) {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }
    void text(std::string_view s) {
        align();
        bytes_.append(s);
        bytes_.push_back('\0');
    }
    void raw(std::string_view s) {
        align();
        bytes_.append(s);
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
    int bitPos_ = 0;
};

// Bits a signed field needs to hold every value given.
int signedBitsFor(std::initializer_list<int> values) {
    int n = 1;
    for (int v : values) {
        while (v < -(1 << (n - 1)) || v >= (1 << (n - 1))) {
            ++n;
        }
    }
    return n;
}

void rect(SwfWriter& w, int xMin, int xMax, int yMin, int yMax) {
    const int n = signedBitsFor({xMin, xMax, yMin, yMax});
    w.bits(static_cast<std::uint32_t>(n), 5);
    w.signedBits(xMin, n);
    w.signedBits(xMax, n);
    w.signedBits(yMin, n);
    w.signedBits(yMax, n);
    w.align();
}

// A matrix with an optional uniform scale (16.16 fixed point) and a translation in twips.
void matrix(SwfWriter& w, int scale16, int x, int y) {
    const bool scaled = scale16 != 0x10000;
    w.bits(scaled ? 1 : 0, 1);
    if (scaled) {
        const int n = signedBitsFor({scale16});
        w.bits(static_cast<std::uint32_t>(n), 5);
        w.signedBits(scale16, n);
        w.signedBits(scale16, n);
    }
    w.bits(0, 1);  // no rotation
    const int n = signedBitsFor({x, y});
    w.bits(static_cast<std::uint32_t>(n), 5);
    w.signedBits(x, n);
    w.signedBits(y, n);
    w.align();
}

void tag(SwfWriter& out, int code, const std::string& body) {
    if (body.size() < 0x3F) {
        out.u16(static_cast<unsigned>(code << 6) | static_cast<unsigned>(body.size()));
    } else {
        out.u16(static_cast<unsigned>(code << 6) | 0x3FU);
        out.u32(static_cast<std::uint32_t>(body.size()));
    }
    out.raw(body);
}

constexpr int kSquare = 80 * kTwips;
constexpr int kSquareTop = 160 * kTwips;

// DefineShape: a solid orange square of kSquare twips with its corner at the origin.
std::string squareShape(int id) {
    SwfWriter w;
    w.u16(static_cast<unsigned>(id));
    rect(w, 0, kSquare, 0, kSquare);
    w.u8(1);  // one fill style: solid orange
    w.u8(0x00);
    w.u8(0xFF);
    w.u8(0x80);
    w.u8(0x00);
    w.u8(0);       // no line styles
    w.bits(1, 4);  // fill style index bits
    w.bits(0, 4);  // line style index bits
    // Style change: fill style 1, move to the origin.
    w.bits(0, 1);
    w.bits(0b00101, 5);
    w.bits(1, 5);
    w.signedBits(0, 1);
    w.signedBits(0, 1);
    w.bits(1, 1);
    // Four straight edges around the square.
    const int n = signedBitsFor({kSquare, -kSquare});
    const int edges[4][2] = {{kSquare, 0}, {0, kSquare}, {-kSquare, 0}, {0, -kSquare}};
    for (const auto& edge : edges) {
        w.bits(1, 1);  // edge
        w.bits(1, 1);  // straight
        w.bits(static_cast<std::uint32_t>(n - 2), 4);
        w.bits(1, 1);  // general line: both deltas
        w.signedBits(edge[0], n);
        w.signedBits(edge[1], n);
    }
    w.bits(0, 6);  // end of shape
    w.align();
    return w.bytes();
}

// DefineEditText: a read-only, unselectable yellow field that shows `variable`.
std::string variableField(int id, std::string_view variable) {
    SwfWriter w;
    w.u16(static_cast<unsigned>(id));
    rect(w, 0, 150 * kTwips, 0, 24 * kTwips);
    w.u8(0x0C);  // read-only, has a text colour
    w.u8(0x10);  // not selectable
    w.u8(0xFF);
    w.u8(0xFF);
    w.u8(0x00);
    w.u8(0xFF);
    w.text(variable);
    return w.bytes();
}

std::string place(int depth, int character, int scale16, int x, int y) {
    SwfWriter w;
    w.u8(character != 0 ? 0x06 : 0x05);  // matrix, and either a character or a move
    w.u16(static_cast<unsigned>(depth));
    if (character != 0) {
        w.u16(static_cast<unsigned>(character));
    }
    matrix(w, scale16, x, y);
    return w.bytes();
}

// Where the square stands in frame `frame`: it crosses the stage and comes back.
int squareX(int frame) {
    const int half = kSwfFrameCount / 2;
    const int step = frame < half ? frame : kSwfFrameCount - frame;
    return step * ((kSwfStageWidth * kTwips - kSquare) / half);
}

// DoAction: one GetURL action for each call, then the end of the actions.
std::string urlCalls(const std::vector<SwfUrlCall>& calls) {
    SwfWriter w;
    for (const SwfUrlCall& call : calls) {
        w.u8(0x83);
        w.u16(static_cast<unsigned>(call.url.size() + call.target.size() + 2));
        w.text(call.url);
        w.text(call.target);
    }
    w.u8(0);
    return w.bytes();
}

}  // namespace

std::string swfMovieShowing(std::string_view variable) {
    return swfMovieShowing(variable, {});
}

std::string swfMovieShowing(std::string_view variable, const std::vector<SwfUrlCall>& calls) {
    SwfWriter body;
    rect(body, 0, kSwfStageWidth * kTwips, 0, kSwfStageHeight * kTwips);
    body.u16(static_cast<unsigned>(kSwfFrameRate << 8));
    body.u16(kSwfFrameCount);

    tag(body, 9, std::string("\x10\x20\x40", 3));  // background colour
    tag(body, 2, squareShape(1));
    tag(body, 37, variableField(2, variable));
    tag(body, 26, place(2, 2, 3 * 0x10000, 20 * kTwips, 30 * kTwips));
    for (int frame = 0; frame < kSwfFrameCount; ++frame) {
        tag(body, 26, place(1, frame == 0 ? 1 : 0, 0x10000, squareX(frame), kSquareTop));
        if (frame == 0 && !calls.empty()) {
            tag(body, 12, urlCalls(calls));
        }
        tag(body, 1, {});  // show frame
    }
    tag(body, 0, {});  // end

    SwfWriter file;
    file.raw("FWS");
    file.u8(8);
    file.u32(static_cast<std::uint32_t>(8 + body.bytes().size()));
    file.raw(body.bytes());
    return file.bytes();
}

}  // namespace arlo::standin
