// Draws the program's icon (a dark-grey magnifying glass on a light-grey rounded square)
// and writes icon-16.png, icon-32.png, icon-256.png and icon.ico into the given folder.
//
//     cmake --build build --target morl_makeicons && build/morl_makeicons icons
//
// icon.ico holds 16x16 and 32x32 as 32-bit bitmaps and 256x256 as PNG.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

static QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    // Light-grey square with curved corners and a soft top-to-bottom gradient.
    QLinearGradient background(0, 0, 0, 256);
    background.setColorAt(0, QColor(0xf2, 0xf2, 0xf2));
    background.setColorAt(1, QColor(0xc8, 0xc8, 0xc8));
    painter.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 4));
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(6, 6, 244, 244), 44, 44);

    // The handle, towards the lower right.
    const QColor glass(0x3a, 0x3a, 0x3a);
    painter.setPen(QPen(glass, 34, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(150, 150), QPointF(210, 210));

    // The lens: a thick ring around a pale disc.
    painter.setPen(QPen(glass, 22));
    painter.setBrush(QColor(0xe8, 0xee, 0xf2));
    painter.drawEllipse(QPointF(108, 108), 64, 64);
    painter.end();
    return image;
}

static QByteArray pngData(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// Appends an unsigned integer in little-endian byte order, as the ICO format stores them.
template <typename T> static void appendLittleEndian(QByteArray &bytes, T value)
{
    char b[sizeof(T)];
    qToLittleEndian(value, b);
    bytes.append(b, sizeof(T));
}

// A 32-bit ICO bitmap: BITMAPINFOHEADER with double height, bottom-up BGRA rows, then
// an all-zero AND mask (rows padded to 32 bits); the alpha channel does the masking.
static QByteArray bmpIconData(const QImage &image)
{
    const int size = image.width();
    QByteArray data;
    const auto put32 = [&data](quint32 v) { appendLittleEndian(data, v); };
    const auto put16 = [&data](quint16 v) { appendLittleEndian(data, v); };
    const int maskStride = ((size + 31) / 32) * 4;
    put32(40);
    put32(size);
    put32(size * 2);
    put16(1);
    put16(32);
    put32(0);
    put32(size * size * 4 + maskStride * size);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    for (int y = size - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            const QRgb p = line[x];
            data.append(char(qBlue(p)));
            data.append(char(qGreen(p)));
            data.append(char(qRed(p)));
            data.append(char(qAlpha(p)));
        }
    }
    data.append(QByteArray(maskStride * size, '\0'));
    return data;
}

static QByteArray icoFile(const QList<QPair<int, QByteArray>> &images)
{
    QByteArray out;
    const auto put16 = [&out](quint16 v) { appendLittleEndian(out, v); };
    const auto put32 = [&out](quint32 v) { appendLittleEndian(out, v); };
    put16(0);
    put16(1);
    put16(quint16(images.size()));
    quint32 offset = 6 + 16 * images.size();
    for (const auto &entry : images) {
        const int size = entry.first;
        out.append(char(size >= 256 ? 0 : size));
        out.append(char(size >= 256 ? 0 : size));
        out.append(char(0));
        out.append(char(0));
        put16(1);
        put16(32);
        put32(quint32(entry.second.size()));
        put32(offset);
        offset += quint32(entry.second.size());
    }
    for (const auto &entry : images)
        out.append(entry.second);
    return out;
}

static bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    const QImage i16 = drawIcon(16);
    const QImage i32 = drawIcon(32);
    const QImage i256 = drawIcon(256);
    bool ok = writeFile(out.filePath(QStringLiteral("icon-16.png")), pngData(i16))
            && writeFile(out.filePath(QStringLiteral("icon-32.png")), pngData(i32))
            && writeFile(out.filePath(QStringLiteral("icon-256.png")), pngData(i256))
            && writeFile(out.filePath(QStringLiteral("icon.ico")),
                         icoFile({ { 16, bmpIconData(i16) },
                                   { 32, bmpIconData(i32) },
                                   { 256, pngData(i256) } }));
    return ok ? 0 : 1;
}
