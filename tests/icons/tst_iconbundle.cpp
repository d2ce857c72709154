// The resource bundle linked into morl_core: exactly the four icon files, in the formats
// the window, the about window and the Windows shell expect, stored as committed.

#include "bytereader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QResource>
#include <QTest>
#include <QtEndian>

class TestIconBundle : public QObject
{
    Q_OBJECT

private slots:
    void holdsOnlyTheIcons();
    void pngIsRgba8_data();
    void pngIsRgba8();
    void icoHasThreeImages();
    void storedUncompressed_data();
    void storedUncompressed();
};

static QByteArray readResource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestIconBundle::holdsOnlyTheIcons()
{
    const QStringList icons
        = QDir(QStringLiteral(":/icons"))
              .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    QCOMPARE(icons, QStringList({ "icon-16.png", "icon-256.png", "icon-32.png", "icon.ico" }));

    // Qt's own libraries register resources under qt-project.org and qpdf; besides
    // those the bundle has one directory, and in particular no translations.
    QStringList top
        = QDir(QStringLiteral(":/"))
              .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    top.removeAll(QStringLiteral("qt-project.org"));
    top.removeAll(QStringLiteral("qpdf"));
    QVERIFY2(top == QStringList({ "icons" }), qPrintable("top level: " + top.join(", ")));
    QVERIFY(!QFileInfo::exists(QStringLiteral(":/i18n")));
}

void TestIconBundle::pngIsRgba8_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    QTest::newRow("icon-16") << ":/icons/icon-16.png" << 16;
    QTest::newRow("icon-32") << ":/icons/icon-32.png" << 32;
    QTest::newRow("icon-256") << ":/icons/icon-256.png" << 256;
}

void TestIconBundle::pngIsRgba8()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    const QByteArray data = readResource(path);
    QVERIFY2(data.startsWith(pngSignature()) && data.size() > 33,
        qPrintable(path + " is not a PNG file"));

    // The IHDR chunk comes first: big-endian width and height, then bit depth and
    // colour type (6 = RGB with alpha).
    QCOMPARE(data.mid(8, 8), QByteArray::fromHex("0000000d") + "IHDR");
    QCOMPARE(int(qFromBigEndian<quint32>(data.constData() + 16)), size);
    QCOMPARE(int(qFromBigEndian<quint32>(data.constData() + 20)), size);
    QCOMPARE(int(quint8(data.at(24))), 8);
    QCOMPARE(int(quint8(data.at(25))), 6);

    const QImage image = QImage::fromData(data, "PNG");
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
}

// Checks one image of the .ico: its directory entry and the data it points to.
static void checkIcoImage(const QByteArray &ico, ByteReader &entry, int size)
{
    QCOMPARE(int(entry.u8()), size % 256);
    QCOMPARE(int(entry.u8()), size % 256);
    QCOMPARE(int(entry.u8()), 0); // no palette
    QCOMPARE(int(entry.u8()), 0);
    QCOMPARE(int(entry.u16()), 1); // planes
    QCOMPARE(int(entry.u16()), 32); // bits per pixel
    const quint32 length = entry.u32();
    const quint32 offset = entry.u32();
    QVERIFY(entry.ok);
    QVERIFY2(qint64(offset) + length <= ico.size(), "image data beyond the end of the file");
    const QByteArray image = ico.mid(offset, length);

    if (size == 256) {
        QVERIFY2(image.startsWith(pngSignature()), "the 256x256 image is not a PNG");
        QCOMPARE(QImage::fromData(image, "PNG").size(), QSize(256, 256));
        return;
    }
    // BITMAPINFOHEADER: the height counts the colour rows and the AND mask.
    ByteReader bmp(image);
    QCOMPARE(bmp.u32(), 40u);
    QCOMPARE(int(bmp.u32()), size);
    QCOMPARE(int(bmp.u32()), 2 * size);
    QCOMPARE(int(bmp.u16()), 1);
    QCOMPARE(int(bmp.u16()), 32);
    QCOMPARE(bmp.u32(), 0u); // BI_RGB
    QVERIFY(bmp.ok);
    const int maskStride = (size + 31) / 32 * 4;
    QCOMPARE(int(length), 40 + size * size * 4 + maskStride * size);
}

void TestIconBundle::icoHasThreeImages()
{
    const QByteArray ico = readResource(QStringLiteral(":/icons/icon.ico"));
    ByteReader header(ico);
    QCOMPARE(int(header.u16()), 0);
    QCOMPARE(int(header.u16()), 1); // icon, not cursor
    QCOMPARE(int(header.u16()), 3);
    QVERIFY(header.ok);

    ByteReader entries(ico, 6);
    for (const int size : { 16, 32, 256 }) {
        checkIcoImage(ico, entries, size);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("in the %1x%1 image").arg(size)));
    }

    // The toolkit itself must read all three, since the window icon is made from it.
    QImageReader reader(QStringLiteral(":/icons/icon.ico"));
    QCOMPARE(reader.imageCount(), 3);
}

void TestIconBundle::storedUncompressed_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : { "icon.ico", "icon-16.png", "icon-32.png", "icon-256.png" })
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestIconBundle::storedUncompressed()
{
    QFETCH(QString, name);
    const QResource resource(QStringLiteral(":/icons/") + name);
    QVERIFY(resource.isValid());
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);

    // The bundle carries the committed files byte for byte.
    QFile source(QStringLiteral(MORL_ICONS_DIR "/") + name);
    QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(source.fileName()));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(resource.data()), resource.size()),
        source.readAll());
}

QTEST_MAIN(TestIconBundle)
#include "tst_iconbundle.moc"
