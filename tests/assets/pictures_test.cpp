// The built-in pictures as the program sees them: linked in through arlo::pictures (no
// Q_INIT_RESOURCE here, so this also proves the static library registers its resources),
// each decodable, in its stated format and size. A regenerated set that breaks a window's
// expectations fails here first.

#include "pictures/pictures.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTest>

#include <cstdlib>

namespace {

enum class Alpha { Any, Needed };

struct Expected {
    QString path;
    QByteArray format;
    QSize size;
    Alpha alpha;
};

QList<Expected> expectedPictures() {
    namespace p = arlo::pictures;
    const QSize logo(128, 38), panel(160, 90), episodeButton(72, 32), icon(32, 32), play(54, 54);
    QList<Expected> all = {
        {p::kLogo, "png", logo, Alpha::Any},
        {p::kLogoHover, "png", logo, Alpha::Any},
        {p::kDefaultPreview, "jpeg", panel, Alpha::Any},
        {p::kNoPreview, "jpeg", panel, Alpha::Any},
        {p::kMagnifier, "jpeg", QSize(15, 15), Alpha::Any},
        {p::kSeriesLogo, "png", QSize(290, 91), Alpha::Any},
        {p::kNothingFound, "png", QSize(391, 391), Alpha::Any},
        {p::kIconIqiyiNormal, "png", icon, Alpha::Any},
        {p::kIconIqiyiHover, "png", icon, Alpha::Any},
        {p::kIconIqiyiPressed, "png", icon, Alpha::Any},
        {p::kIconLetvNormal, "png", icon, Alpha::Any},
        {p::kIconLetvHover, "png", icon, Alpha::Any},
        {p::kIconLetvPressed, "png", icon, Alpha::Any},
        {p::kPrevNormal, "png", episodeButton, Alpha::Any},
        {p::kPrevHover, "png", episodeButton, Alpha::Any},
        {p::kPrevPressed, "png", episodeButton, Alpha::Any},
        {p::kNextNormal, "png", episodeButton, Alpha::Any},
        {p::kNextHover, "png", episodeButton, Alpha::Any},
        {p::kNextPressed, "png", episodeButton, Alpha::Any},
        {p::kAbout, "jpeg", QSize(120, 246), Alpha::Any},
        {p::kGuestbook, "gif", QSize(24, 24), Alpha::Any},
        // Drawn over posters: without see-through pixels they would hide the poster.
        {p::kOverlay, "png", QSize(35, 34), Alpha::Needed},
        {p::kPlayNormal, "png", play, Alpha::Needed},
        {p::kPlayHover, "png", play, Alpha::Needed},
    };
    for (int n = 1; n <= p::kPosterCount; ++n) {
        all.append({p::poster(n), "jpeg", QSize(162, 230), Alpha::Any});
    }
    // The program's icon: a rounded tile, see-through around it.
    for (const int size : p::kAppIconSizes) {
        all.append({p::appIcon(size), "png", QSize(size, size), Alpha::Needed});
    }
    return all;
}

bool hasMagic(const QByteArray& bytes, const QByteArray& format) {
    if (format == "png") {
        return bytes.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8));
    }
    if (format == "jpeg") {
        return bytes.startsWith(QByteArray("\xff\xd8\xff", 3));
    }
    if (format == "gif") {
        return bytes.startsWith("GIF89a") || bytes.startsWith("GIF87a");
    }
    return false;
}

QImage decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    return reader.read();
}

// Mean absolute difference per channel, 0..255.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32),
                 y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* l = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* r = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            sum += std::abs(qRed(l[col]) - qRed(r[col])) +
                   std::abs(qGreen(l[col]) - qGreen(r[col])) +
                   std::abs(qBlue(l[col]) - qBlue(r[col]));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

}  // namespace

class PicturesTest final : public QObject {
    Q_OBJECT

private slots:
    void picture_hasStatedFormatAndSize_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("needsAlpha");
        for (const Expected& e : expectedPictures()) {
            QTest::newRow(qPrintable(e.path))
                << e.path << e.format << e.size << (e.alpha == Alpha::Needed);
        }
    }

    void picture_hasStatedFormatAndSize() {
        QFETCH(QString, path);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QFETCH(bool, needsAlpha);

        const QByteArray bytes = arlo::pictures::bytes(path);
        QVERIFY2(!bytes.isEmpty(), "not reachable as a resource");
        QVERIFY2(hasMagic(bytes, format), "file signature does not match the format");

        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        QCOMPARE(reader.format(), format);
        QCOMPARE(reader.size(), size);
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), size);

        if (needsAlpha) {
            QVERIFY(image.hasAlphaChannel());
            const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
            int clear = 0, solid = 0;
            for (int y = 0; y < argb.height(); ++y) {
                for (int x = 0; x < argb.width(); ++x) {
                    const int a = qAlpha(argb.pixel(x, y));
                    clear += a == 0 ? 1 : 0;
                    solid += a > 200 ? 1 : 0;
                }
            }
            QVERIFY2(clear > 0, "no transparent pixel");
            QVERIFY2(solid > 0, "nothing visible");
        }
    }

    // The table above covers the whole set with the "@2x" twins of all but the icon: a picture
    // added to the build without a row, or a name in the header without a file, shows up here.
    void resources_matchTheTableExactly() {
        namespace p = arlo::pictures;
        QSet<QString> listed;
        for (const Expected& e : expectedPictures()) {
            listed.insert(e.path);
            if (!e.path.contains(QLatin1String("app_icon"))) {
                listed.insert(QString(e.path).insert(e.path.lastIndexOf(u'.'), u"@2x"));
            }
        }
        QCOMPARE(listed.size(), expectedPictures().size() * 2 - std::size(p::kAppIconSizes));
        QSet<QString> present;
        const QStringList names = QDir(QStringLiteral(":/pictures")).entryList(QDir::Files);
        for (const QString& name : names) {
            present.insert(QStringLiteral(":/pictures/") + name);
        }
        QCOMPARE(present, listed);
    }

    // Every poster is its own composition, not a recoloured copy of another.
    void posters_areDistinct() {
        QList<QImage> posters;
        for (int n = 1; n <= arlo::pictures::kPosterCount; ++n) {
            posters.append(decode(arlo::pictures::bytes(arlo::pictures::poster(n))));
            QVERIFY(!posters.last().isNull());
        }
        for (int i = 0; i < posters.size(); ++i) {
            for (int j = i + 1; j < posters.size(); ++j) {
                const double d = meanDifference(posters[i], posters[j]);
                QVERIFY2(d > 8.0, qPrintable(QStringLiteral("posters %1 and %2 differ by %3 only")
                                                 .arg(i + 1)
                                                 .arg(j + 1)
                                                 .arg(d)));
            }
        }
    }

    void forRatio_takesTheTwinAboveRatioOne() {
        namespace p = arlo::pictures;
        const QString logo = p::kLogo, twin = QStringLiteral(":/pictures/logo@2x.png");
        const QString noSuffix = QStringLiteral(":/pictures.d/logo");
        const struct {
            QString path;
            double ratio;
            QString chosen;
        } rows[] = {{logo, 1.0, logo},
                    {logo, 1.01, twin},
                    {logo, 3.0, twin},
                    {p::appIcon(16), 2.0, p::appIcon(16)},  // no twin
                    {noSuffix, 2.0, noSuffix}};
        for (const auto& row : rows) {
            QCOMPARE(p::forRatio(row.path, row.ratio), row.chosen);
            QCOMPARE(p::ratioOf(row.chosen), row.chosen == twin ? 2 : 1);
        }
    }

    void posterPath_onlyForTheEighteenMovies() {
        QCOMPARE(arlo::pictures::poster(1), QStringLiteral(":/pictures/poster_01.jpg"));
        QCOMPARE(arlo::pictures::poster(18), QStringLiteral(":/pictures/poster_18.jpg"));
        QVERIFY(arlo::pictures::poster(0).isEmpty());
        QVERIFY(arlo::pictures::poster(19).isEmpty());
        QVERIFY(arlo::pictures::poster(-1).isEmpty());
    }

    void bytes_ofAnythingElse_isEmpty() {
        QVERIFY(arlo::pictures::bytes(QStringLiteral(":/pictures/missing.png")).isEmpty());
        QVERIFY(arlo::pictures::bytes(QString()).isEmpty());
        // Files outside the built-in set are not read, even when they exist.
        QVERIFY(arlo::pictures::bytes(QStringLiteral("/etc/hostname")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PicturesTest)
#include "pictures_test.moc"
