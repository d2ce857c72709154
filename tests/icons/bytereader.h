#ifndef BYTEREADER_H
#define BYTEREADER_H

#include <QByteArray>
#include <QString>
#include <QtEndian>

// Reads little-endian fields from a byte array with bounds checks: a read past the end
// returns 0 and clears ok, so a truncated file shows up as a failed check, not a crash.
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &data, qsizetype pos = 0)
        : data(data)
        , pos(pos)
    { }

    quint8 u8()
    {
        const QByteArray byte = take(1);
        return ok ? quint8(byte.at(0)) : 0;
    }
    quint16 u16() { return read<quint16>(); }
    quint32 u32() { return read<quint32>(); }

    QByteArray take(qsizetype count)
    {
        if (count < 0 || pos < 0 || pos + count > data.size()) {
            ok = false;
            pos = data.size();
            return QByteArray();
        }
        const QByteArray bytes = data.mid(pos, count);
        pos += count;
        return bytes;
    }

    // A zero-terminated UTF-16 string; the terminator is consumed.
    QString utf16z()
    {
        QString text;
        for (quint16 c = u16(); ok && c != 0; c = u16())
            text.append(QChar(c));
        return text;
    }

    // Moves to the next multiple of four, counted from base.
    void align4(qsizetype base = 0) { pos = base + ((pos - base + 3) & ~qsizetype(3)); }

    bool atEnd() const { return pos >= data.size(); }

    const QByteArray &data;
    qsizetype pos;
    bool ok = true;

private:
    template <typename T> T read()
    {
        const QByteArray bytes = take(sizeof(T));
        return ok ? qFromLittleEndian<T>(bytes.constData()) : T(0);
    }
};

// The eight bytes that open every PNG file.
inline QByteArray pngSignature()
{
    return QByteArray::fromHex("89504e470d0a1a0a");
}

#endif // BYTEREADER_H
