// The Windows resources of morl.exe, read back record by record to check the icon group
// and the version resource exactly as the Windows shell will see them: on the build
// machine from icons/morl.rc compiled by MinGW's windres, on Windows from morl.exe itself.

#include "bytereader.h"
#include "resourceset.h"

#include <QTest>

// One node of the version tree: wLength, wValueLength, wType, szKey, value, children.
struct VersionNode
{
    QString key;
    quint16 type = 0;
    QByteArray value;
    QList<VersionNode> children;
};

enum { RtIcon = 3, RtVersion = 16, RtGroupIcon = 14, RtManifest = 24, LangEnUs = 1033 };

class TestWinResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void resourceSet();
    void fixedFileInfo();
    void stringTable_data();
    void stringTable();
    void translation();
    void iconGroup_data();
    void iconGroup();

private:
    const Resource *find(int type, const ResId &name) const;
    const VersionNode *child(const VersionNode &node, const QString &key) const;

    QList<Resource> resources;
    VersionNode versionInfo;
};

// Reads one version node starting at the reader's position; offsets are aligned from the
// start of the resource data. Leaves the reader at the end of the node.
static bool parseVersionNode(ByteReader &in, VersionNode *node)
{
    in.align4();
    const qsizetype start = in.pos;
    const quint16 length = in.u16();
    const quint16 valueLength = in.u16();
    node->type = in.u16();
    node->key = in.utf16z();
    in.align4();
    // Text values count UTF-16 units, binary values count bytes.
    node->value = in.take(node->type == 1 ? 2 * valueLength : valueLength);
    const qsizetype end = start + length;
    if (!in.ok || in.pos > end || end > in.data.size())
        return false;
    for (in.align4(); in.pos < end; in.align4()) {
        VersionNode childNode;
        if (!parseVersionNode(in, &childNode))
            return false;
        node->children.append(childNode);
    }
    in.pos = end;
    return in.ok;
}

static QString utf16Value(const QByteArray &value)
{
    return QString(reinterpret_cast<const QChar *>(value.constData()), value.size() / 2);
}

void TestWinResources::initTestCase()
{
    QString error, skip;
    if (!loadResources(&resources, &error, &skip)) {
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        QFAIL(qPrintable(error));
    }

    const Resource *version = find(RtVersion, ResId { 1, QString() });
    QVERIFY2(version, "no version resource with id 1");
    ByteReader in(version->data);
    QVERIFY2(parseVersionNode(in, &versionInfo), "malformed version resource");
    QCOMPARE(versionInfo.key, QStringLiteral("VS_VERSION_INFO"));
}

const Resource *TestWinResources::find(int type, const ResId &name) const
{
    for (const Resource &resource : resources) {
        if (resource.type.is(type) && resource.name.ordinal == name.ordinal
            && resource.name.name == name.name)
            return &resource;
    }
    return nullptr;
}

const VersionNode *TestWinResources::child(const VersionNode &node, const QString &key) const
{
    for (const VersionNode &c : node.children) {
        if (c.key == key)
            return &c;
    }
    return nullptr;
}

void TestWinResources::resourceSet()
{
    // Three icon images, their group, the version resource; no manifest; all U.S. English.
    QStringList seen;
    for (const Resource &resource : resources) {
        const QString name = resource.name.ordinal >= 0 ? QString::number(resource.name.ordinal)
                                                        : resource.name.name;
        seen << QStringLiteral("%1/%2").arg(resource.type.ordinal).arg(name);
        QCOMPARE(int(resource.language), int(LangEnUs));
        QVERIFY(!resource.type.is(RtManifest));
    }
    seen.sort();
    QCOMPARE(seen, QStringList({ "14/IDI_ICON1", "16/1", "3/1", "3/2", "3/3" }));
}

void TestWinResources::fixedFileInfo()
{
    QCOMPARE(versionInfo.type, quint16(0));
    QCOMPARE(versionInfo.value.size(), 52);
    ByteReader in(versionInfo.value);
    QCOMPARE(in.u32(), 0xFEEF04BDu); // signature
    in.u32(); // structure version
    QCOMPARE(in.u32(), 0x00010000u); // file version 1.0 ...
    QCOMPARE(in.u32(), 0x00000000u); // ... .0.0
    QCOMPARE(in.u32(), 0x00010000u); // product version 1.0 ...
    QCOMPARE(in.u32(), 0x00000000u); // ... .0.0
    QCOMPARE(in.u32(), 0x3Fu); // flags mask
    QCOMPARE(in.u32(), 0u); // flags
    QCOMPARE(in.u32(), 0x40004u); // VOS_NT_WINDOWS32
    QCOMPARE(in.u32(), 1u); // VFT_APP
    QCOMPARE(in.u32(), 0u); // subtype
    QCOMPARE(in.u32(), 0u); // date, high part
    QCOMPARE(in.u32(), 0u); // date, low part
    QVERIFY(in.ok);

    QStringList blocks;
    for (const VersionNode &c : versionInfo.children)
        blocks << c.key;
    QCOMPARE(blocks, QStringList({ "StringFileInfo", "VarFileInfo" }));
}

void TestWinResources::stringTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("value");
    const QList<QPair<const char *, const char *>> table = {
        { "CompanyName", "Morl" },
        { "FileDescription", "" },
        { "FileVersion", "1.0.0.0" },
        { "LegalCopyright", "Copyright (C) 2025 Morl" },
        { "OriginalFilename", "morl.exe" },
        { "ProductName", "morl" },
        { "ProductVersion", "1.0.0.0" },
        { "InternalName", "" },
        { "Comments", "" },
        { "LegalTrademarks", "" },
    };
    for (int i = 0; i < table.size(); ++i)
        QTest::newRow(table[i].first) << i << QString::fromLatin1(table[i].second);
}

void TestWinResources::stringTable()
{
    QFETCH(int, index);
    QFETCH(QString, value);
    const VersionNode *info = child(versionInfo, QStringLiteral("StringFileInfo"));
    QVERIFY(info);
    QCOMPARE(info->children.size(), 1);
    const VersionNode &table = info->children.first();
    QCOMPARE(table.key, QStringLiteral("040904B0"));
    QCOMPARE(table.children.size(), 10);

    // Keys in this order; every value is text ending in exactly one terminating zero.
    const VersionNode &entry = table.children.at(index);
    QCOMPARE(entry.key, QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(entry.type, quint16(1));
    const QString stored = utf16Value(entry.value);
    QVERIFY2(stored.endsWith(QChar(0)), "value without terminating zero");
    QCOMPARE(stored.chopped(1), value);
}

void TestWinResources::translation()
{
    const VersionNode *var = child(versionInfo, QStringLiteral("VarFileInfo"));
    QVERIFY(var);
    QCOMPARE(var->children.size(), 1);
    const VersionNode &translation = var->children.first();
    QCOMPARE(translation.key, QStringLiteral("Translation"));
    QCOMPARE(translation.type, quint16(0));
    QCOMPARE(translation.value, QByteArray::fromHex("0904b004")); // 0x0409, 0x04B0
}

void TestWinResources::iconGroup_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    QTest::newRow("16x16") << 0 << 16;
    QTest::newRow("32x32") << 1 << 32;
    QTest::newRow("256x256") << 2 << 256;
}

void TestWinResources::iconGroup()
{
    QFETCH(int, index);
    QFETCH(int, size);
    const Resource *group = find(RtGroupIcon, ResId { -1, QStringLiteral("IDI_ICON1") });
    QVERIFY2(group, "no icon group IDI_ICON1");
    ByteReader in(group->data);
    QCOMPARE(int(in.u16()), 0);
    QCOMPARE(int(in.u16()), 1);
    QCOMPARE(int(in.u16()), 3);

    // GRPICONDIRENTRY, 14 bytes; a width or height of 0 stands for 256.
    in.pos = 6 + 14 * index;
    QCOMPARE(int(in.u8()), size % 256);
    QCOMPARE(int(in.u8()), size % 256);
    in.u8(); // colour count
    in.u8(); // reserved
    QCOMPARE(int(in.u16()), 1); // planes
    QCOMPARE(int(in.u16()), 32); // bits per pixel
    const quint32 length = in.u32();
    const quint16 id = in.u16();
    QVERIFY(in.ok);

    const Resource *icon = find(RtIcon, ResId { id, QString() });
    QVERIFY2(icon, qPrintable(QStringLiteral("no icon image %1").arg(id)));
    QCOMPARE(quint32(icon->data.size()), length);
    if (size == 256) {
        QVERIFY2(icon->data.startsWith(pngSignature()), "the 256x256 image is not a PNG");
    } else {
        ByteReader bmp(icon->data);
        QCOMPARE(bmp.u32(), 40u); // BITMAPINFOHEADER
        QCOMPARE(int(bmp.u32()), size);
        QCOMPARE(int(bmp.u32()), 2 * size);
        QCOMPARE(int(bmp.u16()), 1);
        QCOMPARE(int(bmp.u16()), 32);
    }

    // The same image as in the bundle's icon.ico, whose directory lists them in order.
    QFile ico(QStringLiteral(":/icons/icon.ico"));
    QVERIFY(ico.open(QIODevice::ReadOnly));
    const QByteArray icoData = ico.readAll();
    ByteReader entry(icoData, 6 + 16 * index + 8);
    const quint32 icoLength = entry.u32();
    const quint32 icoOffset = entry.u32();
    QVERIFY(entry.ok);
    QCOMPARE(icon->data, icoData.mid(icoOffset, icoLength));
}

QTEST_MAIN(TestWinResources)
#include "tst_winresources.moc"
