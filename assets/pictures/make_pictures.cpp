// Draws every built-in picture of Arlo迷 and a contact sheet of them all.
//
//   arlo_make_pictures <output folder> <MovieTitles.txt>
//
// Deterministic: the fonts are loaded from fixed files, "random" placement comes from a
// fixed-seed generator, JPEGs use one fixed quality and the GIF is written with giflib.
// One style for everything: deep navy, warm amber and teal with cream text, simple drawn
// shapes (gears, waves, silhouettes of the boy inventor 阿洛 and his harbour city).

#include <gif_lib.h>

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QtMath>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Palette and type

QColor hex(unsigned v, int alpha = 255) {
    return QColor(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF), alpha);
}
QColor alpha(QColor c, int a) {
    c.setAlpha(a);
    return c;
}

const unsigned kNavyDeep = 0x0B152B;
const unsigned kNavy = 0x16264A;
const unsigned kNavyLight = 0x2A4676;
const unsigned kAmber = 0xF2A93B;
const unsigned kAmberLight = 0xFFD27A;
const unsigned kTeal = 0x2BA8A0;
const unsigned kTealLight = 0x7FDCD0;
const unsigned kTealDeep = 0x145A60;
const unsigned kCream = 0xFFF4DC;
const unsigned kCoral = 0xE4683F;

QString g_cjkFamily;
QString g_latinFamily;

QFont makeFont(const QString& family, double px, bool bold) {
    QFont f(family);
    f.setPixelSize(qRound(px));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}
QFont cjk(double px, bool bold = false) {
    return makeFont(g_cjkFamily, px, bold);
}
QFont latin(double px) {
    return makeFont(g_latinFamily, px, false);
}

// A fixed-seed generator, so star fields and city windows come out the same on every run.
struct Rng {
    quint32 state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / double(1u << 24);
    }
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }
};

// Device pixels per logical pixel of the pictures being drawn: 1, or 2 for the "@2x" set that
// high-density screens show. Every picture is drawn in logical pixels; a painter on a canvas
// of ratio 2 draws each shape and glyph with twice the pixels.
int g_scale = 1;

QImage canvas(int w, int h, QColor fill = Qt::transparent) {
    QImage img(w * g_scale, h * g_scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(g_scale);
    img.fill(fill);
    return img;
}

void setupPainter(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

// ---------------------------------------------------------------------------------------
// Shapes

void verticalGradient(QPainter& p, const QRectF& r,
                      const std::vector<std::pair<double, QColor>>& stops) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    for (const auto& [at, c] : stops) {
        g.setColorAt(at, c);
    }
    p.fillRect(r, g);
}

void glow(QPainter& p, QPointF c, double r, QColor color) {
    QRadialGradient g(c, r);
    g.setColorAt(0, color);
    g.setColorAt(1, alpha(color, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

void stars(QPainter& p, const QRectF& area, int count, quint32 seed, QColor color) {
    Rng rng{seed};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(area.left() + rng.range(0, area.width()),
                         area.top() + rng.range(0, area.height()));
        const double size = rng.range(0.35, 1.1);
        p.setBrush(alpha(color, int(rng.range(110, 255))));
        p.drawEllipse(at, size, size);
        if (i % 9 == 0) {  // an occasional four-pointed sparkle
            QPainterPath s;
            const double a = 3.2, b = 0.7;
            s.moveTo(at.x(), at.y() - a);
            s.lineTo(at.x() + b, at.y() - b);
            s.lineTo(at.x() + a, at.y());
            s.lineTo(at.x() + b, at.y() + b);
            s.lineTo(at.x(), at.y() + a);
            s.lineTo(at.x() - b, at.y() + b);
            s.lineTo(at.x() - a, at.y());
            s.lineTo(at.x() - b, at.y() - b);
            s.closeSubpath();
            p.setBrush(alpha(color, 230));
            p.drawPath(s);
        }
    }
}

QPainterPath gearPath(QPointF c, double r, int teeth, double hole) {
    QPainterPath path;
    const double depth = std::max(1.2, r * 0.22);
    const int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        // Square-ish teeth: two points out, two points in per tooth.
        const double a0 = 2 * M_PI * i / steps;
        const double rr = (i % 4 == 0 || i % 4 == 1) ? r : r - depth;
        const double a1 = 2 * M_PI * (i + 1) / steps;
        const QPointF p0(c.x() + rr * std::cos(a0), c.y() + rr * std::sin(a0));
        const QPointF p1(c.x() + rr * std::cos(a1), c.y() + rr * std::sin(a1));
        if (i == 0) {
            path.moveTo(p0);
        } else {
            path.lineTo(p0);
        }
        path.lineTo(p1);
    }
    path.closeSubpath();
    if (hole > 0) {
        path.addEllipse(c, r * hole, r * hole);
    }
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

void gear(QPainter& p, QPointF c, double r, int teeth, QColor color, double hole = 0.35) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(gearPath(c, r, teeth, hole));
}

// Fills everything below a sine wave.
void waves(QPainter& p, double y, double amp, double length, double phase, double width,
           double bottom, QColor c) {
    QPainterPath path;
    path.moveTo(0, bottom);
    for (double x = 0; x <= width + 1; x += 1) {
        path.lineTo(x, y + amp * std::sin((x / length) * 2 * M_PI + phase));
    }
    path.lineTo(width + 1, bottom);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void waveLine(QPainter& p, double x0, double x1, double y, double amp, double length, QColor c,
              double w) {
    QPainterPath path;
    path.moveTo(x0, y);
    for (double x = x0; x <= x1; x += 1) {
        path.lineTo(x, y + amp * std::sin((x - x0) / length * 2 * M_PI));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
}

void cloud(QPainter& p, QPointF c, double w, QColor color) {
    QPainterPath path;
    path.addEllipse(QPointF(c.x() - w * 0.25, c.y()), w * 0.28, w * 0.16);
    path.addEllipse(QPointF(c.x() + w * 0.05, c.y() - w * 0.08), w * 0.25, w * 0.2);
    path.addEllipse(QPointF(c.x() + w * 0.3, c.y() + w * 0.01), w * 0.22, w * 0.14);
    path.addRoundedRect(QRectF(c.x() - w * 0.5, c.y(), w, w * 0.14), w * 0.07, w * 0.07);
    path.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path.simplified());
}

// 阿洛: a boy in a newsboy cap and a long coat, a scarf flying behind him, holding up a
// magnifying glass. `feet` is the point between his feet; he faces right unless mirrored.
void arlo(QPainter& p, QPointF feet, double h, QColor body, QColor scarf, bool mirrored = false,
          QColor lens = QColor()) {
    const double u = h / 10.0;
    p.save();
    p.translate(feet);
    if (mirrored) {
        p.scale(-1, 1);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    // legs and shoes
    p.drawRoundedRect(QRectF(-0.95 * u, -3.2 * u, 0.75 * u, 3.2 * u), 0.3 * u, 0.3 * u);
    p.drawRoundedRect(QRectF(0.2 * u, -3.2 * u, 0.75 * u, 3.2 * u), 0.3 * u, 0.3 * u);
    p.drawRoundedRect(QRectF(-1.15 * u, -0.45 * u, 1.05 * u, 0.45 * u), 0.2 * u, 0.2 * u);
    p.drawRoundedRect(QRectF(0.2 * u, -0.45 * u, 1.15 * u, 0.45 * u), 0.2 * u, 0.2 * u);
    // coat
    QPainterPath coat;
    coat.moveTo(-1.1 * u, -6.5 * u);
    coat.lineTo(1.1 * u, -6.5 * u);
    coat.quadTo(1.5 * u, -4.5 * u, 1.7 * u, -2.6 * u);
    coat.lineTo(-1.7 * u, -2.6 * u);
    coat.quadTo(-1.5 * u, -4.5 * u, -1.1 * u, -6.5 * u);
    coat.closeSubpath();
    p.drawPath(coat);
    // head and cap
    p.drawEllipse(QPointF(0.1 * u, -7.65 * u), 1.2 * u, 1.2 * u);
    QPainterPath cap;
    cap.moveTo(-1.35 * u, -7.9 * u);
    cap.cubicTo(-1.3 * u, -9.6 * u, 1.5 * u, -9.7 * u, 1.45 * u, -7.95 * u);
    cap.lineTo(2.25 * u, -7.7 * u);
    cap.lineTo(2.2 * u, -7.45 * u);
    cap.lineTo(-1.35 * u, -7.6 * u);
    cap.closeSubpath();
    p.drawPath(cap);
    // arm raising the magnifier
    p.setPen(QPen(body, 0.62 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0.8 * u, -6.1 * u), QPointF(2.0 * u, -5.0 * u));
    p.setPen(QPen(body, 0.3 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2.0 * u, -5.0 * u), QPointF(2.55 * u, -5.75 * u));
    if (lens.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(lens);
        p.drawEllipse(QPointF(3.05 * u, -6.4 * u), 0.7 * u, 0.7 * u);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(body, 0.32 * u));
    p.drawEllipse(QPointF(3.05 * u, -6.4 * u), 0.78 * u, 0.78 * u);
    // scarf, flying behind
    QPainterPath tail;
    tail.moveTo(-0.9 * u, -6.75 * u);
    tail.quadTo(-2.2 * u, -6.9 * u, -3.1 * u, -6.2 * u);
    tail.quadTo(-2.4 * u, -6.1 * u, -2.7 * u, -5.6 * u);
    tail.quadTo(-1.8 * u, -6.0 * u, -0.8 * u, -6.2 * u);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(scarf);
    p.drawPath(tail);
    p.drawRoundedRect(QRectF(-1.0 * u, -6.85 * u, 2.1 * u, 0.6 * u), 0.3 * u, 0.3 * u);
    p.restore();
}

void lighthouse(QPainter& p, QPointF base, double h, QColor body, QColor stripe, QColor lamp,
                double beamAngleDeg, QColor beam) {
    const double bw = h * 0.26, tw = h * 0.16, towerH = h * 0.72;
    const QPointF lampC(base.x(), base.y() - towerH - h * 0.07);
    if (beam.alpha() > 0) {  // beams first, so the tower stands in front of them
        for (double side : {0.0, 180.0}) {
            const double a = qDegreesToRadians(beamAngleDeg + side);
            const double len = h * 2.4, spread = qDegreesToRadians(9.0);
            QPainterPath b;
            b.moveTo(lampC);
            b.lineTo(lampC.x() + len * std::cos(a - spread),
                     lampC.y() + len * std::sin(a - spread));
            b.lineTo(lampC.x() + len * std::cos(a + spread),
                     lampC.y() + len * std::sin(a + spread));
            b.closeSubpath();
            QRadialGradient g(lampC, len);
            g.setColorAt(0, beam);
            g.setColorAt(1, alpha(beam, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawPath(b);
        }
        glow(p, lampC, h * 0.22, alpha(lamp, 160));
    }
    QPainterPath tower;
    tower.moveTo(base.x() - bw / 2, base.y());
    tower.lineTo(base.x() - tw / 2, base.y() - towerH);
    tower.lineTo(base.x() + tw / 2, base.y() - towerH);
    tower.lineTo(base.x() + bw / 2, base.y());
    tower.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(tower);
    p.save();
    p.setClipPath(tower);
    p.setBrush(stripe);
    for (int i = 0; i < 3; ++i) {
        p.drawRect(
            QRectF(base.x() - bw, base.y() - towerH * (0.2 + 0.28 * i), bw * 2, towerH * 0.12));
    }
    p.restore();
    p.setBrush(body);
    p.drawRect(
        QRectF(base.x() - tw * 0.8, base.y() - towerH - h * 0.025, tw * 1.6, h * 0.03));  // gallery
    p.setBrush(lamp);
    p.drawRect(QRectF(base.x() - tw * 0.38, base.y() - towerH - h * 0.12, tw * 0.76, h * 0.095));
    QPainterPath roof;
    roof.moveTo(base.x() - tw * 0.55, base.y() - towerH - h * 0.12);
    roof.lineTo(base.x(), base.y() - towerH - h * 0.2);
    roof.lineTo(base.x() + tw * 0.55, base.y() - towerH - h * 0.12);
    roof.closeSubpath();
    p.setBrush(body);
    p.drawPath(roof);
}

void airship(QPainter& p, QPointF c, double len, QColor body, QColor accent, QColor shade) {
    const double hh = len * 0.34;
    p.setPen(Qt::NoPen);
    // fins
    p.setBrush(shade);
    QPainterPath fin;
    fin.moveTo(c.x() - len * 0.36, c.y());
    fin.lineTo(c.x() - len * 0.58, c.y() - hh * 0.85);
    fin.lineTo(c.x() - len * 0.5, c.y());
    fin.lineTo(c.x() - len * 0.58, c.y() + hh * 0.85);
    fin.closeSubpath();
    p.drawPath(fin);
    // envelope
    QLinearGradient g(c.x(), c.y() - hh / 2, c.x(), c.y() + hh / 2);
    g.setColorAt(0, body.lighter(125));
    g.setColorAt(1, shade);
    p.setBrush(g);
    p.drawEllipse(c, len / 2, hh / 2);
    p.save();
    QPainterPath env;
    env.addEllipse(c, len / 2, hh / 2);
    p.setClipPath(env);
    p.setPen(QPen(accent, std::max(1.0, len * 0.02)));
    for (double k : {-0.2, 0.12}) {
        p.drawLine(QPointF(c.x() + len * k, c.y() - hh), QPointF(c.x() + len * k, c.y() + hh));
    }
    p.setPen(QPen(alpha(accent, 140), std::max(0.8, len * 0.012)));
    p.drawLine(QPointF(c.x() - len / 2, c.y() + hh * 0.08),
               QPointF(c.x() + len / 2, c.y() + hh * 0.08));
    p.restore();
    // gondola on struts
    p.setPen(QPen(shade, std::max(0.8, len * 0.01)));
    p.drawLine(QPointF(c.x() - len * 0.1, c.y() + hh * 0.45),
               QPointF(c.x() - len * 0.12, c.y() + hh * 0.7));
    p.drawLine(QPointF(c.x() + len * 0.12, c.y() + hh * 0.45),
               QPointF(c.x() + len * 0.14, c.y() + hh * 0.7));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(c.x() - len * 0.16, c.y() + hh * 0.66, len * 0.34, hh * 0.3), hh * 0.1,
                      hh * 0.1);
    p.setBrush(accent);
    for (int i = 0; i < 3; ++i) {
        p.drawRect(
            QRectF(c.x() - len * 0.12 + i * len * 0.1, c.y() + hh * 0.74, len * 0.05, hh * 0.1));
    }
    // propeller
    p.setBrush(shade);
    p.drawEllipse(QPointF(c.x() - len * 0.6, c.y() + hh * 0.05), len * 0.015, hh * 0.3);
}

void clockFace(QPainter& p, QPointF c, double r, QColor face, QColor rim, QColor ink, double hour,
               double minute) {
    p.setPen(QPen(rim, std::max(1.0, r * 0.12)));
    p.setBrush(face);
    p.drawEllipse(c, r, r);
    for (int i = 0; i < 12; ++i) {
        const double a = 2 * M_PI * i / 12;
        const double r0 = r * (i % 3 == 0 ? 0.68 : 0.78), r1 = r * 0.88;
        p.setPen(
            QPen(ink, std::max(0.7, r * (i % 3 == 0 ? 0.07 : 0.04)), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + r0 * std::sin(a), c.y() - r0 * std::cos(a)),
                   QPointF(c.x() + r1 * std::sin(a), c.y() - r1 * std::cos(a)));
    }
    const double ha = 2 * M_PI * (hour + minute / 60.0) / 12, ma = 2 * M_PI * minute / 60;
    p.setPen(QPen(ink, std::max(1.0, r * 0.09), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, QPointF(c.x() + r * 0.45 * std::sin(ha), c.y() - r * 0.45 * std::cos(ha)));
    p.setPen(QPen(ink, std::max(0.8, r * 0.055), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, QPointF(c.x() + r * 0.72 * std::sin(ma), c.y() - r * 0.72 * std::cos(ma)));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(c, r * 0.08, r * 0.08);
}

// Rooftops of the harbour city with lit windows and, optionally, its clock tower.
void skyline(QPainter& p, double baseY, double width, QColor c, QColor window, quint32 seed,
             double towerX = -1) {
    Rng rng{seed};
    p.setPen(Qt::NoPen);
    double x = -4;
    while (x < width + 4) {
        const double w = rng.range(11, 22), h = rng.range(14, 38);
        QPainterPath b;
        b.addRect(QRectF(x, baseY - h, w, h + 2));
        if (rng.next() < 0.55) {  // gabled roof
            QPainterPath roof;
            roof.moveTo(x - 1, baseY - h);
            roof.lineTo(x + w / 2, baseY - h - w * 0.45);
            roof.lineTo(x + w + 1, baseY - h);
            roof.closeSubpath();
            b.addPath(roof);
        }
        p.setBrush(c);
        p.drawPath(b.simplified());
        p.setBrush(window);
        for (double wy = baseY - h + 4; wy < baseY - 4; wy += 6) {
            for (double wx = x + 3; wx < x + w - 3; wx += 5) {
                if (rng.next() < 0.3) {
                    p.drawRect(QRectF(wx, wy, 2, 2.5));
                }
            }
        }
        x += w - 1;
    }
    if (towerX >= 0) {
        p.setBrush(c);
        p.drawRect(QRectF(towerX - 9, baseY - 70, 18, 72));
        QPainterPath spire;
        spire.moveTo(towerX - 11, baseY - 70);
        spire.lineTo(towerX, baseY - 90);
        spire.lineTo(towerX + 11, baseY - 70);
        spire.closeSubpath();
        p.drawPath(spire);
        clockFace(p, QPointF(towerX, baseY - 58), 6.5, window, c, c, 10, 10);
    }
}

void moon(QPainter& p, QPointF c, double r, QColor color) {
    glow(p, c, r * 2.2, alpha(color, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, r, r);
    p.setBrush(alpha(color.darker(112), 120));
    p.drawEllipse(QPointF(c.x() - r * 0.3, c.y() - r * 0.2), r * 0.22, r * 0.18);
    p.drawEllipse(QPointF(c.x() + r * 0.35, c.y() + r * 0.25), r * 0.15, r * 0.13);
    p.drawEllipse(QPointF(c.x() + r * 0.05, c.y() + r * 0.45), r * 0.1, r * 0.09);
}

void bubbles(QPainter& p, const QRectF& area, int count, quint32 seed, QColor color) {
    Rng rng{seed};
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const double r = rng.range(1.2, 3.8);
        p.setPen(QPen(color, 0.8));
        p.drawEllipse(QPointF(area.left() + rng.range(0, area.width()),
                              area.top() + rng.range(0, area.height())),
                      r, r);
    }
}

void fish(QPainter& p, QPointF c, double len, QColor color, bool left) {
    p.save();
    p.translate(c);
    if (left) {
        p.scale(-1, 1);
    }
    QPainterPath f;
    f.moveTo(len * 0.5, 0);
    f.quadTo(len * 0.1, -len * 0.35, -len * 0.25, 0);
    f.lineTo(-len * 0.5, -len * 0.22);
    f.lineTo(-len * 0.45, 0);
    f.lineTo(-len * 0.5, len * 0.22);
    f.lineTo(-len * 0.25, 0);
    f.quadTo(len * 0.1, len * 0.35, len * 0.5, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(f);
    p.restore();
}

void birds(QPainter& p, QPointF at, int count, double size, QColor c, quint32 seed) {
    Rng rng{seed};
    p.setPen(QPen(c, 1.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const QPointF b(at.x() + rng.range(-22, 22), at.y() + rng.range(-10, 10));
        const double s = size * rng.range(0.7, 1.2);
        QPainterPath v;
        v.moveTo(b.x() - s, b.y() - s * 0.4);
        v.quadTo(b.x() - s * 0.4, b.y() - s * 0.5, b.x(), b.y());
        v.quadTo(b.x() + s * 0.4, b.y() - s * 0.5, b.x() + s, b.y() - s * 0.4);
        p.drawPath(v);
    }
}

// Text with a soft drop shadow, centred on `centre`.
void centredText(QPainter& p, const QString& text, const QFont& font, QPointF centre, QColor color,
                 QColor shadow = QColor()) {
    p.setFont(font);
    const QFontMetricsF fm(font);
    const QPointF at(centre.x() - fm.horizontalAdvance(text) / 2,
                     centre.y() + (fm.ascent() - fm.descent()) / 2);
    if (shadow.isValid()) {
        p.setPen(shadow);
        p.drawText(at + QPointF(0.8, 1.0), text);
    }
    p.setPen(color);
    p.drawText(at, text);
}

// ---------------------------------------------------------------------------------------
// Posters

constexpr int kPosterW = 162, kPosterH = 230, kSceneH = 172;

void sceneFoggyHarbour(QPainter& p) {  // 雾港的发条侦探
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0x13213F)}, {0.55, hex(0x24476A)}, {1, hex(0x3C7A86)}});
    stars(p, QRectF(0, 0, kPosterW, 60), 30, 11, hex(kCream));
    moon(p, QPointF(44, 48), 13, hex(kCream));
    gear(p, QPointF(132, 56), 30, 14, alpha(hex(kTealLight), 40), 0.5);
    skyline(p, 128, kPosterW, hex(0x0E1A33), hex(kAmberLight), 7, 104);
    for (int i = 0; i < 3; ++i) {  // drifting fog
        cloud(p, QPointF(30 + i * 55, 110 + (i % 2) * 10), 80, alpha(hex(0xBFE3E0), 45));
    }
    verticalGradient(p, QRectF(0, 128, kPosterW, 44), {{0, hex(0x10213D)}, {1, hex(0x0B152B)}});
    p.setPen(Qt::NoPen);
    Rng rng{5};
    for (int i = 0; i < 14; ++i) {  // lamp light on the water
        p.setBrush(alpha(hex(kAmber), int(rng.range(80, 180))));
        p.drawRoundedRect(QRectF(rng.range(0, 150), rng.range(132, 168), rng.range(5, 14), 1.3),
                          0.6, 0.6);
    }
    glow(p, QPointF(146, 104), 34, alpha(hex(kAmber), 150));  // a gas lamp behind him
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0x0B152B));
    p.drawRect(QRectF(144.5, 106, 3, 42));
    p.setBrush(hex(kAmberLight));
    p.drawRoundedRect(QRectF(141.5, 98, 9, 9), 2, 2);
    p.setBrush(hex(0x0B152B));
    p.drawRect(QRectF(86, 146, 80, 5));  // pier
    for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(92 + i * 20, 150, 3, 22));
    }
    arlo(p, QPointF(122, 146), 46, hex(0x0B152B), hex(kAmber), false, alpha(hex(kAmberLight), 140));
}

void sceneSunkenClockTower(QPainter& p) {  // 钟楼沉入海底之夜
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0x1F7C86)}, {0.5, hex(0x134560)}, {1, hex(0x08182E)}});
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {  // light falling through the water
        QPainterPath ray;
        const double x = 10 + i * 34;
        ray.moveTo(x, 0);
        ray.lineTo(x + 14, 0);
        ray.lineTo(x + 40, kSceneH);
        ray.lineTo(x + 22, kSceneH);
        ray.closeSubpath();
        QLinearGradient g(0, 0, 0, kSceneH);
        g.setColorAt(0, alpha(hex(kTealLight), 60));
        g.setColorAt(1, alpha(hex(kTealLight), 0));
        p.setBrush(g);
        p.drawPath(ray);
    }
    const QColor stone = hex(0x0A2236);
    p.setBrush(stone);
    p.drawRect(QRectF(58, 58, 46, 120));
    QPainterPath roof;
    roof.moveTo(54, 58);
    roof.lineTo(81, 18);
    roof.lineTo(108, 58);
    roof.closeSubpath();
    p.drawPath(roof);
    p.drawRect(QRectF(46, 120, 70, 60));
    p.setBrush(alpha(hex(kAmberLight), 200));
    for (int i = 0; i < 3; ++i) {
        p.drawRoundedRect(QRectF(56 + i * 19, 132, 8, 14), 4, 4);
    }
    glow(p, QPointF(81, 84), 34, alpha(hex(kAmber), 120));
    clockFace(p, QPointF(81, 84), 16, hex(kAmberLight), hex(kAmber), stone, 11, 55);
    waves(p, 160, 3, 40, 0, kPosterW, kSceneH, hex(0x0B1A2A));
    p.setPen(QPen(hex(kTeal), 2.4, Qt::SolidLine, Qt::RoundCap));  // sea grass
    for (int i = 0; i < 7; ++i) {
        const double x = 8 + i * 24 + (i > 2 ? 20 : 0);
        QPainterPath g;
        g.moveTo(x, kSceneH);
        g.cubicTo(x - 6, 150, x + 6, 140, x - 2, 126 + (i % 3) * 6);
        p.setBrush(Qt::NoBrush);
        p.drawPath(g);
    }
    bubbles(p, QRectF(20, 20, 130, 110), 18, 21, alpha(hex(kCream), 150));
    fish(p, QPointF(130, 40), 14, alpha(hex(kAmber), 200), true);
    fish(p, QPointF(28, 100), 10, alpha(hex(kTealLight), 200), false);
}

void sceneAirshipSunset(QPainter& p) {  // 青鸢号的最后航线
    verticalGradient(
        p, QRectF(0, 0, kPosterW, kSceneH),
        {{0, hex(0x2A2F5E)}, {0.5, hex(0xC8604A)}, {0.8, hex(0xF2A93B)}, {1, hex(0xFFD27A)}});
    glow(p, QPointF(48, 140), 50, alpha(hex(kAmberLight), 160));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0xFFE7A8));
    p.drawEllipse(QPointF(48, 140), 20, 20);
    cloud(p, QPointF(130, 120), 70, alpha(hex(0x7A3E5A), 150));
    cloud(p, QPointF(26, 40), 50, alpha(hex(0x9A5A78), 110));
    airship(p, QPointF(92, 72), 104, hex(0x2BA8A0), hex(kAmberLight), hex(0x145A60));
    birds(p, QPointF(40, 92), 4, 4, hex(0x2A2F5E), 3);
    verticalGradient(p, QRectF(0, 146, kPosterW, 26), {{0, hex(0x6A3A52)}, {1, hex(0x2A2F5E)}});
    for (int i = 0; i < 5; ++i) {
        waveLine(p, 4 + (i % 2) * 20, 158, 150 + i * 4.5, 1.0, 18,
                 alpha(hex(kAmberLight), 150 - i * 20), 0.9);
    }
}

void sceneLighthouseNight(QPainter& p) {  // 灯塔守望者的遗言
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(0x0B152B)}, {1, hex(0x24406E)}});
    stars(p, QRectF(0, 0, kPosterW, 110), 45, 44, hex(kCream));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0x0A1122));
    QPainterPath rock;
    rock.moveTo(70, kSceneH);
    rock.quadTo(86, 138, 112, 134);
    rock.quadTo(140, 130, 162, 144);
    rock.lineTo(162, kSceneH);
    rock.closeSubpath();
    p.drawPath(rock);
    lighthouse(p, QPointF(120, 138), 108, hex(0xE9E2D0), hex(kCoral), hex(kAmberLight), 192,
               alpha(hex(kAmberLight), 150));
    waves(p, 150, 2.5, 30, 0.5, kPosterW, kSceneH, alpha(hex(0x1B3E66), 230));
    waves(p, 160, 2.5, 24, 2.0, kPosterW, kSceneH, hex(0x122A4C));
    for (int i = 0; i < 3; ++i) {
        waveLine(p, 6 + i * 12, 90 + i * 10, 152 + i * 6, 1.2, 14, alpha(hex(kCream), 120), 0.9);
    }
    arlo(p, QPointF(93, 138), 22, hex(0x0A1122), hex(kAmber));
}

void sceneCoralLullaby(QPainter& p) {  // 珊瑚礁下的摇篮曲
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0x2BA8A0)}, {0.45, hex(0x17667A)}, {1, hex(0x0B2A45)}});
    glow(p, QPointF(110, 10), 46, alpha(hex(kCream), 150));  // the moon seen from below
    p.setPen(Qt::NoPen);
    p.setBrush(alpha(hex(kCream), 200));
    p.drawEllipse(QPointF(110, 8), 16, 6);
    auto coral = [&](QPointF base, double h, QColor c, quint32 seed) {
        Rng rng{seed};
        p.setPen(QPen(c, h * 0.09, Qt::SolidLine, Qt::RoundCap));
        std::vector<std::pair<QPointF, double>> tips{{base, -90}};
        for (int level = 0; level < 3; ++level) {
            std::vector<std::pair<QPointF, double>> next;
            for (const auto& [from, angle] : tips) {
                for (int k = 0; k < 2; ++k) {
                    const double a = qDegreesToRadians(angle + (k ? 1 : -1) * rng.range(14, 34));
                    const double l = h * (0.42 - level * 0.1);
                    const QPointF to(from.x() + l * std::cos(a), from.y() + l * std::sin(a));
                    p.drawLine(from, to);
                    next.emplace_back(to, qRadiansToDegrees(a));
                }
            }
            tips = next;
            p.setPen(QPen(c, h * (0.07 - level * 0.015), Qt::SolidLine, Qt::RoundCap));
        }
    };
    coral(QPointF(36, kSceneH), 64, hex(kCoral), 8);
    coral(QPointF(126, kSceneH), 52, hex(kAmber), 9);
    coral(QPointF(86, kSceneH), 36, hex(0xF08A7A), 10);
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0x0B2036));
    p.drawEllipse(QPointF(81, kSceneH + 14), 110, 22);
    fish(p, QPointF(58, 70), 16, hex(kAmberLight), false);
    fish(p, QPointF(74, 82), 11, hex(kAmber), false);
    fish(p, QPointF(120, 96), 12, hex(kCream), true);
    bubbles(p, QRectF(30, 30, 110, 80), 14, 55, alpha(hex(kCream), 140));
    p.setFont(latin(18));  // a few drifting notes of the lullaby
    p.setPen(alpha(hex(kCream), 210));
    p.drawText(QPointF(26, 44), QString(QChar(0x266A)));
    p.drawText(QPointF(134, 58), QString(QChar(0x266B)));
}

void sceneStarChase(QPainter& p) {  // 星图尽头的追逐
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(0x060C1E)}, {1, hex(0x1E2A5C)}});
    stars(p, QRectF(0, 0, kPosterW, 140), 90, 66, hex(kCream));
    const std::vector<QPointF> constellation{{18, 30},  {44, 46},  {70, 36}, {92, 58},
                                             {120, 44}, {146, 22}, {132, 78}};
    p.setPen(QPen(alpha(hex(kAmberLight), 150), 0.8, Qt::DashLine));
    for (size_t i = 0; i + 1 < constellation.size(); ++i) {
        p.drawLine(constellation[i], constellation[i + 1]);
    }
    for (const auto& s : constellation) {
        glow(p, s, 5, alpha(hex(kAmberLight), 200));
        p.setBrush(hex(kCream));
        p.drawEllipse(s, 1.4, 1.4);
    }
    QLinearGradient tail(20, 110, 84, 86);  // comet
    tail.setColorAt(0, alpha(hex(kTealLight), 0));
    tail.setColorAt(1, alpha(hex(kTealLight), 220));
    QPainterPath comet;
    comet.moveTo(10, 118);
    comet.lineTo(86, 84);
    comet.lineTo(88, 90);
    comet.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(tail);
    p.drawPath(comet);
    glow(p, QPointF(87, 87), 7, hex(kCream));
    p.setBrush(hex(0x070D1C));
    QPainterPath roofs;
    roofs.moveTo(0, kSceneH);
    roofs.lineTo(0, 146);
    roofs.lineTo(40, 132);
    roofs.lineTo(80, 146);
    roofs.lineTo(80, 140);
    roofs.lineTo(118, 124);
    roofs.lineTo(162, 140);
    roofs.lineTo(162, kSceneH);
    roofs.closeSubpath();
    p.drawPath(roofs);
    p.drawRect(QRectF(126, 112, 6, 18));  // chimney
    arlo(p, QPointF(104, 131), 30, hex(0x070D1C), hex(kAmber), false);
    arlo(p, QPointF(34, 135), 24, hex(0x1A0F14), hex(kCoral), false);
}

void sceneAmberHeart(QPainter& p) {  // 琥珀色的机械心脏
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(0x1A1428)}, {1, hex(0x33231A)}});
    glow(p, QPointF(81, 90), 80, alpha(hex(kAmber), 110));
    gear(p, QPointF(24, 30), 20, 10, alpha(hex(kTeal), 120));
    gear(p, QPointF(142, 140), 24, 12, alpha(hex(kTeal), 110));
    gear(p, QPointF(140, 36), 14, 8, alpha(hex(0xB8732F), 200));
    gear(p, QPointF(20, 146), 12, 8, alpha(hex(0xB8732F), 200));
    QPainterPath heart;
    heart.moveTo(81, 140);
    heart.cubicTo(30, 108, 26, 56, 56, 52);
    heart.cubicTo(70, 50, 78, 60, 81, 70);
    heart.cubicTo(84, 60, 92, 50, 106, 52);
    heart.cubicTo(136, 56, 132, 108, 81, 140);
    heart.closeSubpath();
    QLinearGradient hg(50, 50, 110, 140);
    hg.setColorAt(0, hex(kAmberLight));
    hg.setColorAt(0.6, hex(kAmber));
    hg.setColorAt(1, hex(0xB8732F));
    p.setPen(QPen(hex(0x6A4020), 2));
    p.setBrush(hg);
    p.drawPath(heart);
    p.save();
    p.setClipPath(heart);
    gear(p, QPointF(70, 88), 18, 10, alpha(hex(0x6A4020), 200), 0.4);
    gear(p, QPointF(98, 104), 12, 8, alpha(hex(0x6A4020), 170), 0.4);
    gear(p, QPointF(94, 70), 8, 6, alpha(hex(0x6A4020), 170), 0.4);
    p.restore();
    p.setPen(QPen(alpha(hex(kCream), 200), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(44, 60, 26, 30), 100 * 16, 60 * 16);           // highlight
    p.setPen(QPen(hex(0xB8732F), 3, Qt::SolidLine, Qt::RoundCap));  // the key that winds it
    p.drawLine(QPointF(120, 96), QPointF(138, 96));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0xB8732F));
    QPainterPath bow;
    bow.moveTo(138, 96);
    bow.cubicTo(142, 80, 154, 84, 148, 96);
    bow.cubicTo(154, 108, 142, 112, 138, 96);
    bow.closeSubpath();
    p.drawPath(bow);
}

void sceneFrozenHarbour(QPainter& p) {  // 冰封港湾的银色信号
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0x3E6D8E)}, {0.55, hex(0x9CC4D8)}, {1, hex(0xE4F1F6)}});
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0x22405A));  // signal mast
    p.drawRect(QRectF(118, 44, 4, 84));
    p.drawRect(QRectF(108, 120, 24, 10));
    glow(p, QPointF(120, 42), 14, alpha(hex(0xFFFFFF), 220));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 4; ++i) {  // silver signal rings
        p.setPen(QPen(alpha(hex(0xF4FAFF), 220 - i * 40), 1.6));
        p.drawArc(QRectF(120 - i * 12, 42 - i * 12, i * 24, i * 24), 100 * 16, 110 * 16);
        p.drawArc(QRectF(120 - i * 12, 42 - i * 12, i * 24, i * 24), 290 * 16, 60 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0x22405A));  // ship held in the ice
    QPainterPath hull;
    hull.moveTo(14, 122);
    hull.lineTo(78, 122);
    hull.lineTo(70, 134);
    hull.lineTo(22, 134);
    hull.closeSubpath();
    p.drawPath(hull);
    p.drawRect(QRectF(32, 108, 26, 14));
    p.drawRect(QRectF(40, 94, 6, 14));
    p.setBrush(hex(kAmberLight));
    p.drawRect(QRectF(36, 112, 4, 4));
    p.drawRect(QRectF(46, 112, 4, 4));
    auto berg = [&](std::vector<QPointF> pts, QColor c) {
        QPainterPath b;
        b.moveTo(pts[0]);
        for (size_t i = 1; i < pts.size(); ++i)
            b.lineTo(pts[i]);
        b.closeSubpath();
        p.setBrush(c);
        p.drawPath(b);
    };
    berg({{0, 140}, {10, 118}, {24, 126}, {36, 140}}, hex(0xF4FAFF));
    berg({{84, 142}, {98, 112}, {112, 124}, {130, 142}}, hex(0xEAF4FA));
    berg({{98, 112}, {104, 142}, {84, 142}}, hex(0xC4DDEA));
    verticalGradient(p, QRectF(0, 138, kPosterW, 34), {{0, hex(0xD6E8F0)}, {1, hex(0xA9C9DA)}});
    p.setPen(QPen(alpha(hex(0xFFFFFF), 200), 0.8));
    for (int i = 0; i < 6; ++i) {  // cracks in the ice
        p.drawLine(QPointF(8 + i * 27, 146 + (i % 3) * 7), QPointF(24 + i * 27, 150 + (i % 2) * 9));
    }
    stars(p, QRectF(0, 0, kPosterW, 100), 30, 88, hex(0xFFFFFF));  // snowflakes
    arlo(p, QPointF(140, 160), 26, hex(0x22405A), hex(kCoral), true);
}

void sceneGoldenCompass(QPainter& p) {  // 齿轮会的黄金罗盘
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(kNavy)}, {1, hex(0x0E1A36)}});
    p.setPen(QPen(alpha(hex(kTealLight), 40), 0.7));  // chart grid
    for (int x = 0; x < kPosterW; x += 18)
        p.drawLine(x, 0, x, kSceneH);
    for (int y = 0; y < kSceneH; y += 18)
        p.drawLine(0, y, kPosterW, y);
    p.setPen(QPen(alpha(hex(kTeal), 120), 1.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath coast;
    coast.moveTo(0, 30);
    coast.cubicTo(30, 20, 40, 50, 70, 24);
    coast.cubicTo(90, 10, 120, 30, 162, 14);
    p.drawPath(coast);
    gear(p, QPointF(14, 156), 22, 12, alpha(hex(kAmber), 70), 0.45);
    gear(p, QPointF(150, 150), 16, 10, alpha(hex(kAmber), 70), 0.45);
    const QPointF c(81, 92);
    glow(p, c, 70, alpha(hex(kAmber), 90));
    p.setPen(QPen(hex(0xB8732F), 3));
    p.setBrush(hex(0x1B2B50));
    p.drawEllipse(c, 54, 54);
    p.setPen(QPen(hex(kAmberLight), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 48, 48);
    for (int i = 0; i < 32; ++i) {
        const double a = 2 * M_PI * i / 32, r0 = i % 4 == 0 ? 42 : 45;
        p.drawLine(QPointF(c.x() + r0 * std::sin(a), c.y() - r0 * std::cos(a)),
                   QPointF(c.x() + 48 * std::sin(a), c.y() - 48 * std::cos(a)));
    }
    for (int i = 0; i < 8; ++i) {  // the rose: long cardinal points, short diagonal ones
        const double a = M_PI / 4 * i, len = i % 2 == 0 ? 40 : 24, wid = i % 2 == 0 ? 8 : 6;
        for (int half = 0; half < 2; ++half) {
            QPainterPath pt;
            pt.moveTo(c);
            pt.lineTo(c.x() + len * std::sin(a), c.y() - len * std::cos(a));
            const double side = a + (half ? 1 : -1) * M_PI / 2;
            pt.lineTo(c.x() + wid * std::sin(side) * 0.7 + wid * std::sin(a),
                      c.y() - wid * std::cos(side) * 0.7 - wid * std::cos(a));
            pt.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(half ? hex(kAmber) : hex(kAmberLight));
            p.drawPath(pt);
        }
    }
    p.setBrush(hex(0xB8732F));
    p.drawEllipse(c, 4, 4);
    centredText(p, QStringLiteral("N"), latin(11), QPointF(c.x(), c.y() - 60), hex(kAmberLight));
}

void sceneWindmillPlain(QPainter& p) {  // 风车平原上的逃亡者
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0xF7D08A)}, {0.5, hex(0xF2B66B)}, {1, hex(0x8FCFC4)}});
    glow(p, QPointF(40, 96), 40, alpha(hex(0xFFF1C9), 220));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0xFFF4DC));
    p.drawEllipse(QPointF(40, 96), 14, 14);
    cloud(p, QPointF(120, 34), 56, alpha(hex(kCream), 200));
    waves(p, 112, 6, 120, 1.0, kPosterW, kSceneH, hex(0x4FB3A8));
    waves(p, 128, 7, 150, 3.0, kPosterW, kSceneH, hex(0x2B8A84));
    waves(p, 148, 5, 110, 0.3, kPosterW, kSceneH, hex(0x1B5F5E));
    const QPointF hub(118, 66);  // windmill
    p.setBrush(hex(kNavy));
    QPainterPath body;
    body.moveTo(108, 122);
    body.lineTo(112, 70);
    body.lineTo(124, 70);
    body.lineTo(128, 122);
    body.closeSubpath();
    p.drawPath(body);
    QPainterPath cap;
    cap.moveTo(108, 72);
    cap.lineTo(118, 58);
    cap.lineTo(128, 72);
    cap.closeSubpath();
    p.drawPath(cap);
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(hub);
        p.rotate(20 + 90 * i);
        p.setBrush(hex(kNavy));
        p.drawRect(QRectF(-1, 0, 2, 40));
        p.setBrush(alpha(hex(kCream), 210));
        p.drawRect(QRectF(1, 10, 8, 28));
        p.restore();
    }
    p.setBrush(hex(kAmber));
    p.drawEllipse(hub, 3, 3);
    p.drawRoundedRect(QRectF(115, 108, 6, 14), 3, 3);
    p.setPen(QPen(alpha(hex(kCream), 140), 1.4, Qt::DashLine));  // the path he runs along
    p.setBrush(Qt::NoBrush);
    QPainterPath road;
    road.moveTo(0, 160);
    road.quadTo(60, 150, 162, 156);
    p.drawPath(road);
    arlo(p, QPointF(52, 156), 30, hex(kNavyDeep), hex(kAmber), true);
}

void sceneMoonTrain(QPainter& p) {  // 月光列车与消失的乘客
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(0x0E1A36)}, {1, hex(0x2A4676)}});
    stars(p, QRectF(0, 0, kPosterW, 120), 40, 111, hex(kCream));
    moon(p, QPointF(100, 66), 42, hex(0xFFF1CC));
    const QColor dark = hex(0x0B152B);
    p.setPen(Qt::NoPen);
    p.setBrush(dark);
    p.drawRect(QRectF(0, 124, kPosterW, 6));  // viaduct
    QPainterPath arches;
    arches.addRect(QRectF(0, 130, kPosterW, 42));
    for (int i = 0; i < 6; ++i) {
        QPainterPath hole;
        hole.addRoundedRect(QRectF(6 + i * 28, 140, 18, 40), 9, 9);
        arches = arches.subtracted(hole);
    }
    p.drawPath(arches);
    p.drawRoundedRect(QRectF(10, 104, 34, 20), 3, 3);  // engine
    p.drawRect(QRectF(16, 94, 6, 12));
    p.drawRoundedRect(QRectF(36, 98, 12, 26), 2, 2);
    for (int car = 0; car < 3; ++car) {
        const double x = 50 + car * 36;
        p.setBrush(dark);
        p.drawRoundedRect(QRectF(x, 102, 33, 22), 3, 3);
        for (int w = 0; w < 3; ++w) {
            // One window has gone dark: the passenger who vanished.
            p.setBrush(car == 1 && w == 1 ? hex(0x1E3560) : hex(kAmberLight));
            p.drawRect(QRectF(x + 4 + w * 10, 107, 6, 7));
        }
    }
    for (int i = 0; i < 4; ++i) {
        cloud(p, QPointF(22 - i * 4 + i * 14, 86 - i * 12), 20 + i * 6,
              alpha(hex(0xBFD0E6), 120 - i * 20));
    }
}

void sceneSnowObservatory(QPainter& p) {  // 雪原天文台的约定
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(0x08122A)}, {1, hex(0x163C56)}});
    stars(p, QRectF(0, 0, kPosterW, 120), 40, 121, hex(kCream));
    for (int band = 0; band < 3; ++band) {  // aurora
        QPainterPath a;
        const double y = 40 + band * 14;
        a.moveTo(0, y);
        for (double x = 0; x <= kPosterW; x += 2)
            a.lineTo(x, y + 10 * std::sin(x / 26 + band));
        for (double x = kPosterW; x >= 0; x -= 2)
            a.lineTo(x, y + 24 + 8 * std::sin(x / 30 + band * 2));
        a.closeSubpath();
        QLinearGradient g(0, y, 0, y + 30);
        g.setColorAt(0, alpha(band == 1 ? hex(kTealLight) : hex(0x7FE0A0), 0));
        g.setColorAt(0.5, alpha(band == 1 ? hex(kTealLight) : hex(0x7FE0A0), 90));
        g.setColorAt(1, alpha(hex(kTeal), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(a);
    }
    waves(p, 132, 6, 140, 0.8, kPosterW, kSceneH, hex(0xDCEBF4));
    waves(p, 150, 4, 90, 2.0, kPosterW, kSceneH, hex(0xF4FAFF));
    const QColor wall = hex(0x22405A);
    p.setBrush(wall);
    p.drawRect(QRectF(86, 112, 48, 24));
    p.drawChord(QRectF(84, 90, 52, 46), 0, 180 * 16);
    p.setBrush(hex(0x0B152B));
    p.save();
    p.translate(110, 113);
    p.rotate(-35);
    p.drawRect(QRectF(-3, -30, 6, 24));  // telescope through the slit
    p.restore();
    p.setBrush(hex(kAmberLight));
    p.drawRoundedRect(QRectF(104, 120, 10, 16), 5, 5);
    glow(p, QPointF(109, 130), 16, alpha(hex(kAmber), 110));
    arlo(p, QPointF(48, 146), 26, hex(0x0B152B), hex(kCoral));
    arlo(p, QPointF(66, 146), 22, hex(0x0B152B), hex(kTealLight), true);
}

void sceneDesertBell(QPainter& p) {  // 沙漠绿洲里的铜钟
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0xE9A04A)}, {0.6, hex(0xF6D493)}, {1, hex(0xFBE8BC)}});
    glow(p, QPointF(118, 56), 40, alpha(hex(0xFFF6DA), 230));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0xFFF6DA));
    p.drawEllipse(QPointF(118, 56), 18, 18);
    waves(p, 118, 8, 150, 0.0, kPosterW, kSceneH, hex(0xE0AE62));
    waves(p, 134, 9, 120, 2.2, kPosterW, kSceneH, hex(0xC98A42));
    waves(p, 154, 6, 100, 4.0, kPosterW, kSceneH, hex(0xA8692E));
    p.setBrush(hex(kTeal));  // the oasis pool
    p.drawEllipse(QPointF(114, 142), 30, 6);
    auto palm = [&](QPointF base, double h, double lean) {
        p.setPen(QPen(hex(0x3B2A1E), 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath trunk;
        const QPointF top(base.x() + lean, base.y() - h);
        trunk.moveTo(base);
        trunk.quadTo(base.x() + lean * 0.2, base.y() - h * 0.5, top.x(), top.y());
        p.drawPath(trunk);
        p.setPen(Qt::NoPen);
        p.setBrush(hex(kTealDeep));
        for (int i = 0; i < 6; ++i) {
            const double a = qDegreesToRadians(-160.0 + i * 30);
            QPainterPath leaf;
            leaf.moveTo(top);
            leaf.quadTo(top.x() + 14 * std::cos(a - 0.3), top.y() + 14 * std::sin(a - 0.3) - 4,
                        top.x() + 20 * std::cos(a), top.y() + 20 * std::sin(a) + 6);
            leaf.quadTo(QPointF(top.x() + 10 * std::cos(a), top.y() + 10 * std::sin(a)), top);
            p.drawPath(leaf);
        }
    };
    palm(QPointF(96, 142), 40, -6);
    palm(QPointF(136, 142), 32, 6);
    // the copper bell under its wooden frame
    p.setPen(QPen(hex(0x5A3A22), 3));
    p.drawLine(QPointF(22, 150), QPointF(30, 64));
    p.drawLine(QPointF(70, 150), QPointF(62, 64));
    p.drawLine(QPointF(24, 64), QPointF(68, 64));
    p.setPen(QPen(hex(0x5A3A22), 1.5));
    p.drawLine(QPointF(46, 64), QPointF(46, 72));
    QPainterPath bell;
    bell.moveTo(36, 74);
    bell.quadTo(46, 66, 56, 74);
    bell.quadTo(58, 96, 64, 104);
    bell.lineTo(28, 104);
    bell.quadTo(34, 96, 36, 74);
    bell.closeSubpath();
    QLinearGradient bg(28, 0, 64, 0);
    bg.setColorAt(0, hex(0x8A4F24));
    bg.setColorAt(0.35, hex(0xE39A55));
    bg.setColorAt(1, hex(0x8A4F24));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawPath(bell);
    p.setBrush(hex(0x5A3A22));
    p.drawEllipse(QPointF(46, 106), 3, 3);
}

void sceneCloudExpo(QPainter& p) {  // 云海之上的发明博览会
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0x2E7E9A)}, {0.6, hex(0x8CCFD6)}, {1, hex(0xE4F4F0)}});
    auto balloon = [&](QPointF c, double r, QColor a, QColor b) {
        p.setPen(Qt::NoPen);
        p.setBrush(a);
        QPainterPath env;
        env.moveTo(c.x(), c.y() + r * 1.3);
        env.cubicTo(c.x() - r * 1.5, c.y() + r * 0.2, c.x() - r, c.y() - r * 1.2, c.x(),
                    c.y() - r * 1.1);
        env.cubicTo(c.x() + r, c.y() - r * 1.2, c.x() + r * 1.5, c.y() + r * 0.2, c.x(),
                    c.y() + r * 1.3);
        p.drawPath(env);
        p.save();
        p.setClipPath(env);
        p.setBrush(b);
        p.drawRect(QRectF(c.x() - r * 0.3, c.y() - r * 2, r * 0.6, r * 4));
        p.restore();
        p.setPen(QPen(hex(kNavy), 0.7));
        p.drawLine(QPointF(c.x() - r * 0.3, c.y() + r * 1.25),
                   QPointF(c.x() - r * 0.25, c.y() + r * 1.7));
        p.drawLine(QPointF(c.x() + r * 0.3, c.y() + r * 1.25),
                   QPointF(c.x() + r * 0.25, c.y() + r * 1.7));
        p.setPen(Qt::NoPen);
        p.setBrush(hex(0x6A4020));
        p.drawRect(QRectF(c.x() - r * 0.3, c.y() + r * 1.7, r * 0.6, r * 0.4));
    };
    balloon(QPointF(30, 40), 12, hex(kCoral), hex(kAmberLight));
    balloon(QPointF(136, 28), 9, hex(kAmber), hex(kCream));
    balloon(QPointF(112, 70), 6, hex(kTeal), hex(kCream));
    airship(p, QPointF(70, 24), 40, hex(kNavyLight), hex(kAmberLight), hex(kNavy));
    // pavilions on a floating island
    p.setBrush(hex(kNavy));
    p.drawRect(QRectF(52, 92, 58, 28));
    p.drawChord(QRectF(62, 74, 38, 38), 0, 180 * 16);
    p.drawRect(QRectF(40, 100, 12, 20));
    p.drawRect(QRectF(110, 98, 12, 22));
    p.setBrush(hex(kAmberLight));
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(58 + i * 13, 100, 6, 12), 3, 3);
    p.setPen(QPen(hex(kNavy), 1));
    p.drawLine(QPointF(81, 74), QPointF(81, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(kCoral));
    QPainterPath flag;
    flag.moveTo(81, 60);
    flag.lineTo(93, 63);
    flag.lineTo(81, 66);
    flag.closeSubpath();
    p.drawPath(flag);
    gear(p, QPointF(81, 92), 7, 8, hex(kAmber), 0.35);
    // sea of clouds
    for (int i = 0; i < 6; ++i) {
        cloud(p, QPointF(-4 + i * 34, 130 + (i % 2) * 8), 64, hex(i % 2 ? 0xFFFFFF : 0xF2F8F4));
    }
    p.setBrush(hex(0xFFFFFF));
    p.drawRect(QRectF(0, 146, kPosterW, 26));
    p.setBrush(alpha(hex(0xBFDCE0), 160));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(20 + i * 42, 158 + (i % 2) * 6), 22, 4);
}

void sceneFireworksCat(QPainter& p) {  // 发条猫与七色烟火
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0x0B152B)}, {0.55, hex(0x2A1E4A)}, {1, hex(0x5A3A78)}});
    stars(p, QRectF(0, 0, kPosterW, 130), 25, 151, hex(kCream));
    glow(p, QPointF(80, 118), 46, alpha(hex(kAmber), 70));
    const unsigned colours[7] = {0xFF5A5A, 0xFF9F40, 0xFFE066, 0x7FE0A0,
                                 0x4FD1C5, 0x6FA8FF, 0xC08CFF};
    const QPointF centres[7] = {{34, 34},  {82, 22}, {130, 40}, {56, 72},
                                {112, 82}, {20, 92}, {146, 110}};
    const double sizes[7] = {20, 16, 22, 14, 18, 11, 10};
    for (int k = 0; k < 7; ++k) {
        const QColor c = hex(colours[k]);
        glow(p, centres[k], sizes[k] * 1.2, alpha(c, 60));
        for (int i = 0; i < 16; ++i) {
            const double a = 2 * M_PI * i / 16 + k;
            const QPointF from(centres[k].x() + sizes[k] * 0.3 * std::cos(a),
                               centres[k].y() + sizes[k] * 0.3 * std::sin(a));
            const QPointF to(centres[k].x() + sizes[k] * std::cos(a),
                             centres[k].y() + sizes[k] * std::sin(a));
            p.setPen(QPen(c, 1.1, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(from, to);
            p.setPen(Qt::NoPen);
            p.setBrush(hex(kCream));
            p.drawEllipse(to, 0.9, 0.9);
        }
    }
    const QColor dark = hex(0x070D1C);
    p.setPen(Qt::NoPen);
    p.setBrush(dark);
    QPainterPath roof;
    roof.moveTo(0, kSceneH);
    roof.lineTo(0, 142);
    roof.lineTo(162, 132);
    roof.lineTo(162, kSceneH);
    roof.closeSubpath();
    p.drawPath(roof);
    // the clockwork cat, wind-up key on its back
    const QPointF cat(108, 134);
    p.drawEllipse(QPointF(cat.x(), cat.y() - 8), 12, 8);
    p.drawEllipse(QPointF(cat.x() + 12, cat.y() - 18), 7, 7);
    QPainterPath ears;
    ears.moveTo(cat.x() + 6, cat.y() - 22);
    ears.lineTo(cat.x() + 7, cat.y() - 30);
    ears.lineTo(cat.x() + 11, cat.y() - 24);
    ears.moveTo(cat.x() + 13, cat.y() - 24);
    ears.lineTo(cat.x() + 18, cat.y() - 30);
    ears.lineTo(cat.x() + 18, cat.y() - 21);
    p.drawPath(ears);
    p.setPen(QPen(dark, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath tail;
    tail.moveTo(cat.x() - 11, cat.y() - 8);
    tail.cubicTo(cat.x() - 22, cat.y() - 10, cat.x() - 18, cat.y() - 28, cat.x() - 10,
                 cat.y() - 26);
    p.drawPath(tail);
    p.setPen(QPen(hex(kAmber), 1.6));
    p.drawLine(QPointF(cat.x() - 2, cat.y() - 15), QPointF(cat.x() - 2, cat.y() - 22));
    p.drawEllipse(QPointF(cat.x() - 5, cat.y() - 25), 3, 2.2);
    p.drawEllipse(QPointF(cat.x() + 1, cat.y() - 25), 3, 2.2);
    p.setPen(Qt::NoPen);
    p.setBrush(hex(kAmberLight));
    p.drawEllipse(QPointF(cat.x() + 15, cat.y() - 19), 1.2, 1.2);
    arlo(p, QPointF(54, 139), 34, dark, hex(kAmber));
}

void sceneVolcanoWorkshop(QPainter& p) {  // 火山岛的秘密工坊
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH),
                     {{0, hex(0x2B1420)}, {0.6, hex(0x7A2A1E)}, {1, hex(0xC8502A)}});
    glow(p, QPointF(90, 56), 50, alpha(hex(kCoral), 170));
    cloud(p, QPointF(100, 30), 70, alpha(hex(0x4A2A36), 200));
    cloud(p, QPointF(70, 16), 50, alpha(hex(0x3A2030), 200));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0x1A0F14));
    QPainterPath mountain;
    mountain.moveTo(10, 140);
    mountain.lineTo(74, 58);
    mountain.lineTo(104, 58);
    mountain.lineTo(162, 132);
    mountain.lineTo(162, 140);
    mountain.closeSubpath();
    p.drawPath(mountain);
    p.setPen(QPen(hex(kAmber), 2.2, Qt::SolidLine, Qt::RoundCap));  // lava runs
    p.setBrush(Qt::NoBrush);
    QPainterPath lava;
    lava.moveTo(84, 60);
    lava.cubicTo(80, 80, 92, 90, 86, 110);
    lava.moveTo(96, 60);
    lava.cubicTo(104, 76, 110, 84, 120, 100);
    p.drawPath(lava);
    p.setPen(Qt::NoPen);
    p.setBrush(hex(kAmberLight));
    p.drawEllipse(QPointF(89, 58), 15, 3);
    // the hidden workshop at the foot of the mountain
    p.setBrush(hex(0x120A0E));
    p.drawRect(QRectF(22, 116, 34, 24));
    QPainterPath roof;
    roof.moveTo(18, 116);
    roof.lineTo(39, 102);
    roof.lineTo(60, 116);
    roof.closeSubpath();
    p.drawPath(roof);
    p.drawRect(QRectF(48, 98, 5, 12));
    p.setBrush(hex(kAmberLight));
    p.drawRect(QRectF(28, 122, 7, 7));
    p.drawRect(QRectF(42, 122, 7, 7));
    gear(p, QPointF(39, 110), 5, 8, hex(kAmber), 0.35);
    cloud(p, QPointF(58, 88), 18, alpha(hex(0x8A6A70), 150));
    verticalGradient(p, QRectF(0, 140, kPosterW, 32), {{0, hex(0x6A2418)}, {1, hex(0x2B1420)}});
    for (int i = 0; i < 5; ++i) {
        waveLine(p, 10 + (i % 2) * 30, 150, 146 + i * 5, 1.0, 16, alpha(hex(kAmber), 170 - i * 25),
                 1.0);
    }
}

void sceneFadedPoster(QPainter& p) {  // 褪色海报里的少年
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(0x5A4632)}, {1, hex(0x3A2C20)}});
    p.setPen(QPen(alpha(hex(0x2A1E14), 120), 1));  // wooden wall
    for (int y = 12; y < kSceneH; y += 16)
        p.drawLine(0, y, kPosterW, y);
    p.save();
    p.translate(81, 88);
    p.rotate(-5);
    const QRectF sheet(-52, -70, 104, 138);
    p.setPen(Qt::NoPen);
    p.setBrush(alpha(hex(0x000000), 90));
    p.drawRect(sheet.translated(3, 4));
    QPainterPath paper;
    paper.moveTo(sheet.topLeft());
    paper.lineTo(sheet.topRight());
    paper.lineTo(sheet.right(), sheet.bottom() - 18);
    paper.lineTo(sheet.right() - 16, sheet.bottom());  // a torn corner
    paper.lineTo(sheet.bottomLeft());
    paper.closeSubpath();
    QLinearGradient g(sheet.topLeft(), sheet.bottomRight());
    g.setColorAt(0, hex(0xF1E2C2));
    g.setColorAt(1, hex(0xD9C29A));
    p.setBrush(g);
    p.drawPath(paper);
    p.setClipPath(paper);
    glow(p, QPointF(0, -20), 50, alpha(hex(0xE9A96A), 120));
    arlo(p, QPointF(-8, 54), 100, alpha(hex(0x5C7F86), 200), alpha(hex(0xC98A6A), 200), false,
         alpha(hex(0xFFF4DC), 150));
    p.setClipping(false);
    p.setBrush(alpha(hex(0xFFF4DC), 170));  // tape
    p.save();
    p.translate(sheet.topLeft());
    p.rotate(-30);
    p.drawRect(QRectF(-10, -4, 20, 8));
    p.restore();
    p.save();
    p.translate(sheet.topRight());
    p.rotate(30);
    p.drawRect(QRectF(-10, -4, 20, 8));
    p.restore();
    p.restore();
    QRadialGradient vignette(QPointF(81, 86), 120);
    vignette.setColorAt(0.6, alpha(hex(0x000000), 0));
    vignette.setColorAt(1, alpha(hex(0x000000), 130));
    p.fillRect(QRectF(0, 0, kPosterW, kSceneH), vignette);
}

void sceneClockmaker(QPainter& p) {  // 时间尽头的钟表匠
    verticalGradient(p, QRectF(0, 0, kPosterW, kSceneH), {{0, hex(0x0B152B)}, {1, hex(0x2B2350)}});
    stars(p, QRectF(0, 0, kPosterW, kSceneH), 50, 181, hex(kCream));
    const QPointF c(81, 84);
    for (int i = 0; i < 22; ++i) {  // gears spiralling into the distance
        const double a = i * 0.62, r = 74 - i * 2.6;
        gear(p, QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a)), 8 - i * 0.25, 8,
             alpha(i % 2 ? hex(kTeal) : hex(kAmber), 200 - i * 7), 0.4);
    }
    glow(p, c, 64, alpha(hex(kAmber), 90));
    p.setPen(QPen(hex(0xB8732F), 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 50, 50);
    clockFace(p, c, 46, hex(kCream), hex(kAmber), hex(kNavy), 11, 58);
    p.setPen(QPen(alpha(hex(kNavy), 90), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 34, 34);
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0xB8732F));  // the crown of a pocket watch
    p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 62, 12, 9), 2, 2);
    p.drawEllipse(QPointF(c.x(), c.y() - 66), 4, 4);
}

void drawScene(QPainter& p, int n) {
    switch (n) {
        case 1:
            sceneFoggyHarbour(p);
            break;
        case 2:
            sceneSunkenClockTower(p);
            break;
        case 3:
            sceneAirshipSunset(p);
            break;
        case 4:
            sceneLighthouseNight(p);
            break;
        case 5:
            sceneCoralLullaby(p);
            break;
        case 6:
            sceneStarChase(p);
            break;
        case 7:
            sceneAmberHeart(p);
            break;
        case 8:
            sceneFrozenHarbour(p);
            break;
        case 9:
            sceneGoldenCompass(p);
            break;
        case 10:
            sceneWindmillPlain(p);
            break;
        case 11:
            sceneMoonTrain(p);
            break;
        case 12:
            sceneSnowObservatory(p);
            break;
        case 13:
            sceneDesertBell(p);
            break;
        case 14:
            sceneCloudExpo(p);
            break;
        case 15:
            sceneFireworksCat(p);
            break;
        case 16:
            sceneVolcanoWorkshop(p);
            break;
        case 17:
            sceneFadedPoster(p);
            break;
        default:
            sceneClockmaker(p);
            break;
    }
}

// Splits a title into at most two lines that fit `maxWidth`, breaking after a particle such
// as 的 or 与 where that gives lines of about equal length.
QStringList wrapTitle(const QString& title, const QFontMetricsF& fm, double maxWidth) {
    if (fm.horizontalAdvance(title) <= maxWidth) {
        return {title};
    }
    const QString preferred = QStringLiteral("的与");
    int best = title.size() / 2;
    double bestScore = 1e9;
    for (int i = 1; i < title.size(); ++i) {
        const double w =
            std::max(fm.horizontalAdvance(title.left(i)), fm.horizontalAdvance(title.mid(i)));
        const double score = w + (preferred.contains(title.at(i - 1)) ? 0 : fm.height() * 1.5);
        if (score < bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return {title.left(best), title.mid(best)};
}

QImage poster(int n, const QString& title) {
    QImage img = canvas(kPosterW, kPosterH, hex(kNavyDeep));
    QPainter p(&img);
    setupPainter(p);
    p.save();
    p.setClipRect(QRectF(0, 0, kPosterW, kSceneH));
    drawScene(p, n);
    p.restore();

    // Series header: a darkened strip so it reads on any sky.
    verticalGradient(p, QRectF(0, 0, kPosterW, 30),
                     {{0, alpha(hex(kNavyDeep), 200)}, {1, alpha(hex(kNavyDeep), 0)}});
    p.setFont(cjk(11, true));
    p.setPen(hex(kAmberLight));
    p.drawText(QPointF(8, 17), QStringLiteral("阿洛剧场版"));
    const QPointF badge(147, 14);
    p.setPen(QPen(hex(kNavyDeep), 1.2));
    p.setBrush(hex(kAmber));
    p.drawEllipse(badge, 10.5, 10.5);
    centredText(p, QString::number(n), latin(n > 9 ? 10 : 11), badge + QPointF(0, 0.3),
                hex(kNavyDeep));

    // Title band.
    const QRectF band(0, kSceneH, kPosterW, kPosterH - kSceneH);
    verticalGradient(p, band, {{0, hex(kNavy)}, {1, hex(kNavyDeep)}});
    p.fillRect(QRectF(0, kSceneH, kPosterW, 2), hex(kAmber));
    gear(p, QPointF(9, kSceneH + 1), 5, 8, hex(kAmber), 0.4);
    gear(p, QPointF(kPosterW - 9, kSceneH + 1), 5, 8, hex(kAmber), 0.4);
    double px = 16;
    QStringList lines;
    while (true) {
        lines = wrapTitle(title, QFontMetricsF(cjk(px, true)), kPosterW - 30);
        bool fits = true;
        for (const auto& l : lines)
            fits = fits && QFontMetricsF(cjk(px, true)).horizontalAdvance(l) <= kPosterW - 12;
        if (fits || px <= 11)
            break;
        px -= 1;
    }
    const double lineH = px + 5;
    const double top = band.center().y() + 1 - lineH * lines.size() / 2 + lineH / 2;
    for (int i = 0; i < lines.size(); ++i) {
        centredText(p, lines[i], cjk(px, true), QPointF(kPosterW / 2.0, top + i * lineH),
                    hex(kCream), alpha(hex(0x000000), 160));
    }
    p.setPen(QPen(alpha(hex(kAmber), 110), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kPosterW - 1, kPosterH - 1));
    return img;
}

// ---------------------------------------------------------------------------------------
// Window pictures

// The wordmark "Arlo迷": a gear, "Arlo" in the Latin face and 迷 in the CJK face.
void wordmark(QPainter& p, QPointF at, double size, QColor text, QColor accent, QColor gearColor) {
    gear(p, QPointF(at.x() + size * 0.5, at.y() - size * 0.36), size * 0.5, 10, gearColor, 0.42);
    const QFont lf = latin(size);
    QFont bold = lf;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(text);
    const double x = at.x() + size * 1.15;
    p.drawText(QPointF(x, at.y()), QStringLiteral("Arlo"));
    const double w = QFontMetricsF(bold).horizontalAdvance(QStringLiteral("Arlo"));
    p.setFont(cjk(size * 1.08, true));
    p.setPen(accent);
    p.drawText(QPointF(x + w + size * 0.1, at.y() + size * 0.02), QStringLiteral("迷"));
}

QImage logo(bool highlighted) {
    QImage img = canvas(128, 38);
    QPainter p(&img);
    setupPainter(p);
    const QRectF pill(1, 1, 126, 36);
    QLinearGradient g(pill.topLeft(), pill.bottomLeft());
    g.setColorAt(0, highlighted ? hex(0x35588F) : hex(kNavyLight));
    g.setColorAt(1, highlighted ? hex(0x1E3560) : hex(kNavyDeep));
    p.setPen(QPen(highlighted ? hex(kAmberLight) : alpha(hex(kAmber), 150), highlighted ? 1.6 : 1));
    p.setBrush(g);
    p.drawRoundedRect(pill, 10, 10);
    if (highlighted) {
        glow(p, QPointF(22, 19), 20, alpha(hex(kAmber), 110));
    }
    wordmark(p, QPointF(12, 27), 22, highlighted ? hex(0xFFFFFF) : hex(kCream),
             highlighted ? hex(kAmberLight) : hex(kAmber),
             highlighted ? hex(kAmberLight) : hex(kAmber));
    return img;
}

// The program's icon in the desktop's menus and task bar: the logo's gear and 迷 on the logo's
// navy tile, square, drawn anew at each size so that small icons stay sharp.
constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage appIcon(int size) {
    QImage img = canvas(size, size);
    QPainter p(&img);
    setupPainter(p);
    const double s = size;
    const double border = std::max(1.0, s / 48);
    const QRectF tile(border / 2 + s * 0.02, border / 2 + s * 0.02, s * 0.96 - border,
                      s * 0.96 - border);
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0, hex(kNavyLight));
    g.setColorAt(1, hex(kNavyDeep));
    p.setPen(QPen(alpha(hex(kAmber), 170), border));
    p.setBrush(g);
    p.drawRoundedRect(tile, s * 0.2, s * 0.2);
    const QPointF centre(s / 2, s / 2);
    if (size >= 32) {
        glow(p, centre, s * 0.42, alpha(hex(kAmber), 70));
    }
    gear(p, centre, s * 0.40, 10, hex(kAmber), 0.7);
    centredText(p, QStringLiteral("迷"), cjk(s * 0.40, true), centre + QPointF(0, s * 0.01),
                hex(kCream), size >= 32 ? alpha(hex(0x000000), 150) : QColor());
    return img;
}

QImage defaultPreview() {
    QImage img = canvas(160, 90, hex(kNavyDeep));
    QPainter p(&img);
    setupPainter(p);
    verticalGradient(p, QRectF(0, 0, 160, 90),
                     {{0, hex(0x13213F)}, {0.6, hex(0x2A4676)}, {1, hex(0x3C7A86)}});
    stars(p, QRectF(0, 0, 160, 40), 18, 301, hex(kCream));
    moon(p, QPointF(134, 20), 8, hex(kCream));
    skyline(p, 72, 160, hex(kNavyDeep), hex(kAmberLight), 303);
    p.fillRect(QRectF(0, 72, 160, 18), hex(kNavyDeep));
    for (int i = 0; i < 3; ++i)
        waveLine(p, 10 + i * 40, 40 + i * 40, 78 + (i % 2) * 5, 1, 10, alpha(hex(kAmber), 150),
                 0.9);
    lighthouse(p, QPointF(122, 74), 44, hex(0xE9E2D0), hex(kCoral), hex(kAmberLight), 186,
               alpha(hex(kAmberLight), 110));
    glow(p, QPointF(70, 60), 22, alpha(hex(kAmber), 150));
    arlo(p, QPointF(70, 76), 28, hex(kNavyDeep), hex(kAmber), false, alpha(hex(kAmberLight), 150));
    verticalGradient(p, QRectF(0, 0, 160, 24),
                     {{0, alpha(hex(kNavyDeep), 190)}, {1, alpha(hex(kNavyDeep), 0)}});
    p.setFont(cjk(11, true));
    p.setPen(hex(kAmberLight));
    p.drawText(QPointF(7, 15), QStringLiteral("阿洛 · 雾港"));
    return img;
}

QImage noPreview() {
    QImage img = canvas(160, 90, hex(kNavy));
    QPainter p(&img);
    setupPainter(p);
    verticalGradient(p, QRectF(0, 0, 160, 90), {{0, hex(kNavy)}, {1, hex(kNavyDeep)}});
    gear(p, QPointF(140, 78), 26, 12, alpha(hex(kTeal), 45), 0.5);
    gear(p, QPointF(18, 14), 16, 9, alpha(hex(kTeal), 45), 0.5);
    // a film frame, crossed out
    const QRectF frame(56, 14, 48, 34);
    p.setPen(QPen(alpha(hex(kCream), 170), 1.6));
    p.setBrush(alpha(hex(kNavyDeep), 160));
    p.drawRoundedRect(frame, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(alpha(hex(kCream), 140));
    for (int i = 0; i < 5; ++i) {
        p.drawRect(QRectF(frame.left() + 5 + i * 8.5, frame.top() + 3, 4, 3));
        p.drawRect(QRectF(frame.left() + 5 + i * 8.5, frame.bottom() - 6, 4, 3));
    }
    p.setBrush(alpha(hex(kTealLight), 170));
    QPainterPath tri;
    tri.moveTo(75, 24);
    tri.lineTo(75, 38);
    tri.lineTo(87, 31);
    tri.closeSubpath();
    p.drawPath(tri);
    p.setPen(QPen(hex(kAmber), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(52, 52), QPointF(108, 10));
    centredText(p, QStringLiteral("暂无预览"), cjk(14, true), QPointF(80, 68), hex(kCream),
                alpha(hex(0x000000), 140));
    p.setFont(cjk(9));
    p.setPen(alpha(hex(kTealLight), 220));
    centredText(p, QStringLiteral("这一集还没有预览图"), cjk(9), QPointF(80, 82),
                alpha(hex(kTealLight), 220));
    return img;
}

QImage magnifier() {
    QImage img = canvas(15, 15, Qt::white);
    QPainter p(&img);
    setupPainter(p);
    p.setPen(QPen(hex(kTeal), 1.8));
    p.setBrush(hex(0xE8F7F5));
    p.drawEllipse(QPointF(6, 6), 4.2, 4.2);
    p.setPen(QPen(hex(kNavy), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.4, 9.4), QPointF(13, 13));
    return img;
}

QImage seriesLogo() {
    QImage img = canvas(290, 91);
    QPainter p(&img);
    setupPainter(p);
    const QRectF card(0.5, 0.5, 289, 90);
    QPainterPath cardPath;
    cardPath.addRoundedRect(card, 12, 12);
    QLinearGradient g(0, 0, 290, 91);
    g.setColorAt(0, hex(kNavy));
    g.setColorAt(0.7, hex(0x1E3560));
    g.setColorAt(1, hex(0x24567A));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(cardPath);
    p.save();
    p.setClipPath(cardPath);
    stars(p, QRectF(150, 0, 140, 60), 22, 401, hex(kCream));
    waves(p, 78, 2.5, 36, 0, 290, 91, alpha(hex(kTeal), 90));
    waves(p, 84, 2, 28, 2, 290, 91, alpha(hex(kTealDeep), 200));
    airship(p, QPointF(252, 30), 50, hex(kTeal), hex(kAmberLight), hex(kTealDeep));
    glow(p, QPointF(44, 44), 44, alpha(hex(kAmber), 70));
    p.restore();
    // emblem: a gear with the boy inside
    gear(p, QPointF(44, 44), 33, 14, hex(kAmber), 0);
    p.setPen(Qt::NoPen);
    p.setBrush(hex(kNavyDeep));
    p.drawEllipse(QPointF(44, 44), 24, 24);
    p.save();
    QPainterPath inner;
    inner.addEllipse(QPointF(44, 44), 24, 24);
    p.setClipPath(inner);
    verticalGradient(p, QRectF(20, 20, 48, 48), {{0, hex(0x2A4676)}, {1, hex(0x3C7A86)}});
    arlo(p, QPointF(40, 70), 40, hex(kNavyDeep), hex(kAmber), false, alpha(hex(kAmberLight), 170));
    p.restore();
    p.setFont(cjk(40, true));
    p.setPen(alpha(hex(0x000000), 120));
    p.drawText(QPointF(89, 50), QStringLiteral("阿洛"));
    p.setPen(hex(kAmberLight));
    p.drawText(QPointF(87, 48), QStringLiteral("阿洛"));
    p.setFont(cjk(13, true));
    p.setPen(hex(kTealLight));
    p.drawText(QPointF(89, 70), QStringLiteral("雾港的少年发明家侦探"));
    p.setPen(QPen(alpha(hex(kAmber), 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cardPath);
    return img;
}

QImage nothingFound() {
    QImage img = canvas(391, 391, hex(0xFFFBF2));
    QPainter p(&img);
    setupPainter(p);
    verticalGradient(p, QRectF(0, 0, 391, 391), {{0, hex(0xFFFBF2)}, {1, hex(0xE3F3F0)}});
    // Its box shows 315 of the 391 rows (the top or the middle ones, depending on alignment), so
    // everything that matters sits between rows 40 and 310.
    p.translate(0, -14);
    gear(p, QPointF(330, 90), 40, 16, alpha(hex(kTeal), 40), 0.5);
    gear(p, QPointF(290, 130), 22, 10, alpha(hex(kAmber), 60), 0.45);
    gear(p, QPointF(60, 110), 26, 12, alpha(hex(kTeal), 35), 0.5);
    const QPointF spot(236, 150);
    glow(p, spot, 60, alpha(hex(kAmberLight), 150));
    p.setPen(QPen(alpha(hex(kNavy), 60), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(spot, 44, 44);
    centredText(p, QStringLiteral("?"), latin(44), spot, alpha(hex(kNavyLight), 150));
    waves(p, 236, 4, 70, 0, 391, 405, alpha(hex(kTeal), 60));
    waves(p, 246, 3, 50, 2, 391, 405, alpha(hex(kTeal), 90));
    arlo(p, QPointF(150, 238), 120, hex(kNavy), hex(kAmber), false, alpha(hex(kAmberLight), 170));
    centredText(p, QStringLiteral("没有找到相关的剧集"), cjk(22, true), QPointF(195.5, 284),
                hex(kNavy));
    centredText(p, QStringLiteral("换个关键词，或者输入集数试试吧"), cjk(14), QPointF(195.5, 314),
                hex(kTealDeep));
    return img;
}

QImage sourceIcon(const QString& glyph, QColor base,
                  int state) {  // state: 0 normal, 1 hover, 2 pressed
    QImage img = canvas(32, 32);
    QPainter p(&img);
    setupPainter(p);
    const QPointF c = state == 2 ? QPointF(16.5, 16.5) : QPointF(16, 16);
    const QColor fill = state == 1 ? base.lighter(125) : state == 2 ? base.darker(130) : base;
    QRadialGradient g(c - QPointF(4, 5), 20);
    g.setColorAt(0, fill.lighter(118));
    g.setColorAt(1, fill);
    p.setPen(QPen(state == 1 ? hex(kAmberLight) : hex(kAmber), state == 1 ? 2 : 1.5));
    p.setBrush(g);
    p.drawEllipse(c, 14.2, 14.2);
    centredText(p, glyph, cjk(16, true), c + QPointF(0, 0.5),
                state == 2 ? hex(kCream).darker(115) : hex(kCream), alpha(hex(0x000000), 110));
    return img;
}

QImage episodeButton(bool next,
                     int state) {  // 上一集 / 下一集; state: 0 normal, 1 hover, 2 pressed
    QImage img = canvas(72, 32);
    QPainter p(&img);
    setupPainter(p);
    const QPointF shift = state == 2 ? QPointF(1, 1) : QPointF(0, 0);
    const QRectF r = QRectF(1, 1, 70, 30).translated(shift * 0.5);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (state == 0) {
        g.setColorAt(0, hex(kNavyLight));
        g.setColorAt(1, hex(kNavy));
    } else if (state == 1) {
        g.setColorAt(0, hex(0x3D64A0));
        g.setColorAt(1, hex(0x24406E));
    } else {
        g.setColorAt(0, hex(kNavyDeep));
        g.setColorAt(1, hex(0x101E3C));
    }
    p.setPen(QPen(state == 1 ? hex(kAmberLight) : alpha(hex(kAmber), state == 2 ? 200 : 150),
                  state == 1 ? 1.6 : 1.1));
    p.setBrush(g);
    p.drawRoundedRect(r, 8, 8);
    if (state != 2) {  // a highlight along the top edge
        p.setPen(QPen(alpha(hex(0xFFFFFF), state == 1 ? 70 : 40), 1));
        p.drawLine(QPointF(r.left() + 8, r.top() + 1.5), QPointF(r.right() - 8, r.top() + 1.5));
    }
    const QString text = next ? QStringLiteral("下一集") : QStringLiteral("上一集");
    const QFont f = cjk(14, true);
    const double tw = QFontMetricsF(f).horizontalAdvance(text);
    const double arrowW = 7, gap = 4;
    const double left = r.center().x() - (tw + arrowW + gap) / 2;
    const double cy = r.center().y();
    const QColor ink = state == 1   ? hex(0xFFFFFF)
                       : state == 2 ? hex(kCream).darker(112)
                                    : hex(kCream);
    QPainterPath arrow;
    if (next) {
        const double ax = left + tw + gap;
        arrow.moveTo(ax, cy - 5);
        arrow.lineTo(ax + arrowW, cy);
        arrow.lineTo(ax, cy + 5);
    } else {
        arrow.moveTo(left + arrowW, cy - 5);
        arrow.lineTo(left, cy);
        arrow.lineTo(left + arrowW, cy + 5);
    }
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(state == 1 ? hex(kAmberLight) : hex(kAmber));
    p.drawPath(arrow);
    const double textCentreX = next ? left + tw / 2 : left + arrowW + gap + tw / 2;
    centredText(p, text, f, QPointF(textCentreX, cy + 0.5), ink, alpha(hex(0x000000), 130));
    return img;
}

QImage aboutPicture() {
    QImage img = canvas(120, 246, hex(kNavyDeep));
    QPainter p(&img);
    setupPainter(p);
    verticalGradient(p, QRectF(0, 0, 120, 246),
                     {{0, hex(0x0B152B)}, {0.6, hex(0x1E3560)}, {1, hex(0x2E6A7A)}});
    stars(p, QRectF(0, 0, 120, 150), 40, 501, hex(kCream));
    moon(p, QPointF(90, 86), 11, hex(kCream));
    lighthouse(p, QPointF(88, 196), 86, hex(0xE9E2D0), hex(kCoral), hex(kAmberLight), 200,
               alpha(hex(kAmberLight), 120));
    p.setPen(Qt::NoPen);
    p.setBrush(hex(0x0A1122));
    QPainterPath rock;
    rock.moveTo(40, 246);
    rock.quadTo(56, 196, 96, 192);
    rock.quadTo(116, 192, 120, 200);
    rock.lineTo(120, 246);
    rock.closeSubpath();
    p.drawPath(rock);
    waves(p, 214, 2.5, 26, 0, 120, 246, alpha(hex(0x1B3E66), 230));
    waves(p, 226, 2, 20, 2, 120, 246, hex(0x122A4C));
    for (int i = 0; i < 3; ++i)
        waveLine(p, 6 + i * 10, 40 + i * 10, 218 + i * 8, 1, 10, alpha(hex(kCream), 110), 0.8);
    arlo(p, QPointF(30, 214), 44, hex(0x0A1122), hex(kAmber), false, alpha(hex(kAmberLight), 150));
    verticalGradient(p, QRectF(0, 0, 120, 64),
                     {{0, alpha(hex(kNavyDeep), 230)}, {1, alpha(hex(kNavyDeep), 0)}});
    wordmark(p, QPointF(10, 34), 21, hex(kCream), hex(kAmber), hex(kAmber));
    centredText(p, QStringLiteral("给每一位阿洛迷"), cjk(11), QPointF(60, 52), hex(kTealLight));
    return img;
}

QImage guestbookIcon() {
    QImage img = canvas(24, 24);
    QPainter p(&img);
    setupPainter(p);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.5, 2.5, 21, 15), 5, 5);
    QPainterPath tail;
    tail.moveTo(5, 15);
    tail.lineTo(4, 22);
    tail.lineTo(11, 16);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(hex(kNavy), 1.2));
    p.setBrush(hex(kAmber));
    p.drawPath(bubble);
    p.setPen(Qt::NoPen);
    p.setBrush(hex(kNavy));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(7 + i * 5, 10), 1.6, 1.6);
    return img;
}

QImage overlayFrame() {
    QImage img = canvas(35, 34);
    QPainter p(&img);
    setupPainter(p);
    // Stretched to 162x230 over a poster: keep the border thin, the middle clear.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(hex(kAmber), 1.1));
    p.drawRoundedRect(QRectF(0.55, 0.55, 33.9, 32.9), 3, 3);
    p.setPen(QPen(alpha(hex(kAmberLight), 60), 0.8));
    p.drawRoundedRect(QRectF(1.9, 1.9, 31.2, 30.2), 2.5, 2.5);
    return img;
}

QImage playButton(bool hover) {
    QImage img = canvas(54, 54);
    QPainter p(&img);
    setupPainter(p);
    const QPointF c(27, 27);
    glow(p, c, 27, alpha(hover ? hex(kAmber) : hex(kNavyDeep), hover ? 120 : 90));
    QRadialGradient g(c - QPointF(6, 8), 30);
    if (hover) {
        g.setColorAt(0, alpha(hex(kAmberLight), 235));
        g.setColorAt(1, alpha(hex(kAmber), 215));
    } else {
        g.setColorAt(0, alpha(hex(kNavyLight), 190));
        g.setColorAt(1, alpha(hex(kNavyDeep), 165));
    }
    p.setPen(QPen(hover ? alpha(hex(0xFFFFFF), 240) : alpha(hex(kAmber), 230), 2));
    p.setBrush(g);
    p.drawEllipse(c, 22, 22);
    QPainterPath tri;
    tri.moveTo(22, 16);
    tri.lineTo(22, 38);
    tri.lineTo(39, 27);
    tri.closeSubpath();
    p.setPen(
        QPen(hover ? hex(0xFFFFFF) : hex(kCream), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(hover ? hex(0xFFFFFF) : hex(kCream));
    p.drawPath(tri);
    return img;
}

// ---------------------------------------------------------------------------------------
// Writers

bool fail(const QString& what) {
    std::fprintf(stderr, "make_pictures: %s\n", what.toLocal8Bit().constData());
    return false;
}

bool writeJpeg(const QImage& img, const QString& path) {
    QImageWriter w(path, "jpeg");
    w.setQuality(92);
    return w.write(img.convertToFormat(QImage::Format_RGB32)) ||
           fail(path + QStringLiteral(": ") + w.errorString());
}

bool writePng(const QImage& img, const QString& path, bool keepAlpha) {
    QImageWriter w(path, "png");
    w.setQuality(0);  // for PNG: 0 is the strongest zlib compression (the pictures stay lossless)
    const QImage out =
        img.convertToFormat(keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return w.write(out) || fail(path + QStringLiteral(": ") + w.errorString());
}

// GIF89a with one transparent colour (index 0) for pixels less than half opaque.
bool writeGif(const QImage& src, const QString& path) {
    const QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    std::vector<GifByteType> pixels(size_t(w) * size_t(h));
    std::vector<QRgb> palette;
    for (int step = 1; step <= 64; step *= 2) {  // coarser colours until they fit 255 entries
        palette.assign(1, qRgb(0, 0, 0));
        std::map<QRgb, int> index;
        bool fits = true;
        for (int y = 0; y < h && fits; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                GifByteType& out = pixels[size_t(y) * size_t(w) + size_t(x)];
                if (qAlpha(line[x]) < 128) {
                    out = 0;
                    continue;
                }
                auto q = [step](int v) { return std::min(255, (v / step) * step + step / 2); };
                const QRgb c = qRgb(q(qRed(line[x])), q(qGreen(line[x])), q(qBlue(line[x])));
                auto [it, added] = index.try_emplace(c, int(palette.size()));
                if (added) {
                    palette.push_back(c);
                }
                if (palette.size() > 256) {
                    fits = false;
                    break;
                }
                out = GifByteType(it->second);
            }
        }
        if (fits)
            break;
    }
    int mapSize = 2;
    while (mapSize < int(palette.size()))
        mapSize *= 2;
    std::vector<GifColorType> colours(size_t(mapSize), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i) {
        colours[i] = GifColorType{GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])),
                                  GifByteType(qBlue(palette[i]))};
    }
    int error = 0;
    ColorMapObject* map = GifMakeMapObject(mapSize, colours.data());
    GifFileType* gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    if (!gif || !map) {
        GifFreeMapObject(map);
        return fail(path + QStringLiteral(": cannot open for writing"));
    }
    EGifSetGifVersion(gif, true);
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.UserInputFlag = false;
    gcb.DelayTime = 0;
    gcb.TransparentColor = 0;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    bool ok = EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK &&
              EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    for (int y = 0; y < h && ok; ++y) {
        ok = EGifPutLine(gif, pixels.data() + size_t(y) * size_t(w), w) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    // giflib creates the file private to its owner; it is a picture of the repository.
    QFile::setPermissions(
        path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return ok || fail(path + QStringLiteral(": GIF write failed"));
}

// ---------------------------------------------------------------------------------------
// Contact sheet

struct Sheet {
    struct Item {
        QString name;
        QImage image;
    };
    std::vector<Item> items;
};

void checkerboard(QPainter& p, const QRectF& r) {
    p.save();
    p.setClipRect(r);
    p.fillRect(r, hex(0xFFFFFF));
    for (int y = 0; y < r.height(); y += 6) {
        for (int x = (y / 6) % 2 * 6; x < r.width(); x += 12) {
            p.fillRect(QRectF(r.left() + x, r.top() + y, 6, 6), hex(0xDDE1E7));
        }
    }
    p.restore();
}

QImage contactSheet(const std::map<QString, QImage>& all) {
    const int width = 1140;
    QImage img = canvas(width, 4000, hex(0xE9ECF1));  // cropped to what was used
    QPainter p(&img);
    setupPainter(p);
    p.fillRect(QRectF(0, 0, width, 64), hex(kNavyDeep));
    wordmark(p, QPointF(24, 44), 26, hex(kCream), hex(kAmber), hex(kAmber));
    p.setFont(cjk(18, true));
    p.setPen(hex(kTealLight));
    p.drawText(QPointF(180, 41),
               QStringLiteral("内置图片一览（assets/pictures，由 make_pictures.cpp 生成）"));

    double x = 24, y = 90, rowH = 0;
    auto place = [&](const QString& name, const QImage& pic, int zoom = 1) {
        const QFont f = cjk(12);
        const QString label =
            QStringLiteral("%1  %2×%3").arg(name).arg(pic.width()).arg(pic.height());
        const double w =
            std::max(double(pic.width() * zoom), QFontMetricsF(f).horizontalAdvance(label));
        if (x + w > width - 24) {
            x = 24;
            y += rowH + 26;
            rowH = 0;
        }
        const QRectF target(x, y, pic.width() * zoom, pic.height() * zoom);
        if (pic.hasAlphaChannel()) {
            checkerboard(p, target);
        }
        p.save();
        p.setRenderHint(QPainter::SmoothPixmapTransform, zoom == 1);
        p.drawImage(target, pic);
        p.restore();
        p.setFont(f);
        p.setPen(hex(kNavy));
        p.drawText(QPointF(x, y + pic.height() * zoom + 16),
                   zoom == 1 ? label : label + QStringLiteral("  ×%1").arg(zoom));
        x += w + 22;
        rowH = std::max(rowH, double(pic.height() * zoom));
    };
    auto section = [&](const QString& title) {
        if (rowH > 0) {
            y += rowH + 40;
        }
        x = 24;
        rowH = 0;
        p.setFont(cjk(16, true));
        p.setPen(hex(kNavyDeep));
        p.drawText(QPointF(24, y), title);
        p.fillRect(QRectF(24, y + 6, width - 48, 2), hex(kAmber));
        y += 20;
    };

    section(QStringLiteral("主窗口"));
    for (const char* n : {"logo.png", "logo_hover.png", "default_preview.jpg", "no_preview.jpg",
                          "series_logo.png"}) {
        place(QString::fromLatin1(n), all.at(QString::fromLatin1(n)));
    }
    place(QStringLiteral("magnifier.jpg"), all.at(QStringLiteral("magnifier.jpg")));
    place(QStringLiteral("magnifier.jpg"), all.at(QStringLiteral("magnifier.jpg")), 4);
    place(QStringLiteral("nothing_found.png"), all.at(QStringLiteral("nothing_found.png")));
    place(QStringLiteral("about.jpg"), all.at(QStringLiteral("about.jpg")));
    place(QStringLiteral("guestbook.gif"), all.at(QStringLiteral("guestbook.gif")));
    place(QStringLiteral("guestbook.gif"), all.at(QStringLiteral("guestbook.gif")), 4);

    section(QStringLiteral("程序图标"));
    for (const int size : kAppIconSizes) {
        place(QStringLiteral("app_icon_%1.png").arg(size),
              all.at(QStringLiteral("app_icon_%1.png").arg(size)));
    }

    section(QStringLiteral("按钮"));
    for (const char* n :
         {"prev_normal.png", "prev_hover.png", "prev_pressed.png", "next_normal.png",
          "next_hover.png", "next_pressed.png", "icon_iqiyi_normal.png", "icon_iqiyi_hover.png",
          "icon_iqiyi_pressed.png", "icon_letv_normal.png", "icon_letv_hover.png",
          "icon_letv_pressed.png", "overlay.png", "play_normal.png", "play_hover.png"}) {
        place(QString::fromLatin1(n), all.at(QString::fromLatin1(n)));
    }
    place(QStringLiteral("overlay.png"), all.at(QStringLiteral("overlay.png")), 4);
    // How the grid shows them: the frame stretched over a poster, the play button centred.
    for (const bool hover : {false, true}) {
        QImage composed = all.at(QStringLiteral("poster_01.jpg"))
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter cp(&composed);
        cp.setRenderHint(QPainter::SmoothPixmapTransform);
        cp.drawImage(QRectF(0, 0, 162, 230), all.at(QStringLiteral("overlay.png")));
        cp.drawImage(
            QPointF((162 - 54) / 2, (230 - 54) / 2),
            all.at(hover ? QStringLiteral("play_hover.png") : QStringLiteral("play_normal.png")));
        cp.end();
        place(hover ? QStringLiteral("悬停+播放(hover)") : QStringLiteral("悬停+播放"), composed);
    }

    section(QStringLiteral("剧场版海报"));
    for (int n = 1; n <= 18; ++n) {
        const QString name = QStringLiteral("poster_%1.jpg").arg(n, 2, 10, QLatin1Char('0'));
        place(name, all.at(name));
    }
    p.end();
    return img.copy(0, 0, width, int(y + rowH + 40));
}

QStringList movieTitles(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList titles;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"))) {
        titles << line.mid(line.lastIndexOf(QLatin1Char('-')) + 1);
    }
    return titles;
}

// Every picture at the current scale.
std::map<QString, QImage> drawAll(const QStringList& titles, bool withIcons) {
    std::map<QString, QImage> all;
    all[QStringLiteral("logo.png")] = logo(false);
    all[QStringLiteral("logo_hover.png")] = logo(true);
    all[QStringLiteral("default_preview.jpg")] = defaultPreview();
    all[QStringLiteral("no_preview.jpg")] = noPreview();
    all[QStringLiteral("magnifier.jpg")] = magnifier();
    all[QStringLiteral("series_logo.png")] = seriesLogo();
    all[QStringLiteral("nothing_found.png")] = nothingFound();
    const char* states[3] = {"normal", "hover", "pressed"};
    for (int s = 0; s < 3; ++s) {
        const QString st = QString::fromLatin1(states[s]);
        all[QStringLiteral("icon_iqiyi_%1.png").arg(st)] =
            sourceIcon(QStringLiteral("爱"), hex(kTeal), s);
        all[QStringLiteral("icon_letv_%1.png").arg(st)] =
            sourceIcon(QStringLiteral("乐"), hex(kCoral), s);
        all[QStringLiteral("prev_%1.png").arg(st)] = episodeButton(false, s);
        all[QStringLiteral("next_%1.png").arg(st)] = episodeButton(true, s);
    }
    all[QStringLiteral("about.jpg")] = aboutPicture();
    all[QStringLiteral("guestbook.gif")] = guestbookIcon();
    all[QStringLiteral("overlay.png")] = overlayFrame();
    all[QStringLiteral("play_normal.png")] = playButton(false);
    all[QStringLiteral("play_hover.png")] = playButton(true);
    for (int n = 1; n <= 18; ++n) {
        all[QStringLiteral("poster_%1.jpg").arg(n, 2, 10, QLatin1Char('0'))] =
            poster(n, titles.at(n - 1));
    }
    // The icon has a picture of its own for each size the desktop asks for, at any density.
    if (withIcons) {
        for (const int size : kAppIconSizes) {
            all[QStringLiteral("app_icon_%1.png").arg(size)] = appIcon(size);
        }
    }
    return all;
}

// Writes each picture under its name, or its "@2x" name for the scale 2 set. The pictures of
// the 1x set are replaced by what was written, so the sheet shows what the program shows.
bool writeAll(std::map<QString, QImage>& all, const QString& out, int scale) {
    bool ok = true;
    for (auto& [name, image] : all) {
        QString file = name;
        if (scale != 1) {
            file.insert(file.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(scale));
        }
        const QString path = out + QLatin1Char('/') + file;
        if (name.endsWith(QLatin1String(".jpg"))) {
            ok = writeJpeg(image, path) && ok;
            image = QImage(path);
        } else if (name.endsWith(QLatin1String(".gif"))) {
            ok = writeGif(image, path) && ok;
            image = QImage(path);
        } else {
            const bool keepAlpha = name != QLatin1String("nothing_found.png");
            ok = writePng(image, path, keepAlpha) && ok;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: arlo_make_pictures <output folder> <MovieTitles.txt>\n");
        return 2;
    }
    const QString out = QFile::decodeName(argv[1]);
    const QStringList titles = movieTitles(QFile::decodeName(argv[2]));
    if (titles.size() != 18) {
        std::fprintf(stderr, "make_pictures: expected 18 movie titles, read %d\n",
                     int(titles.size()));
        return 1;
    }
    // Fonts from fixed files, so the output does not depend on what fontconfig prefers.
    const int cjkId = QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"));
    const int latinId = QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
    if (cjkId < 0 || latinId < 0) {
        std::fprintf(stderr, "make_pictures: needs fonts-wqy-microhei and fonts-dejavu-core\n");
        return 1;
    }
    g_cjkFamily = QFontDatabase::applicationFontFamilies(cjkId).value(0);
    g_latinFamily = QFontDatabase::applicationFontFamilies(latinId).value(0);

    bool ok = true;
    std::map<QString, QImage> all;
    for (const int scale : {2, 1}) {
        g_scale = scale;
        all = drawAll(titles, scale == 1);
        ok = writeAll(all, out, scale) && ok;
    }
    ok = writePng(contactSheet(all), out + QStringLiteral("/contact_sheet.png"), false) && ok;
    return ok ? 0 : 1;
}
