// The font of the program's windows on Windows: Qt's Windows platform takes the system's
// message font (NONCLIENTMETRICS lfMessageFont) as the default font. This checks that
// the system names a font that is installed, so that GDI draws that face and not a
// stand-in. Under Wine that font is Tahoma, which the prefix maker installs
// (tests/windows/wineprefix.sh); without it Wine names "MS Shell Dlg", which it maps to
// the missing Tahoma, and GDI draws another face.
#include <QTest>

#include <windows.h>

class TestSystemFont : public QObject
{
    Q_OBJECT

private slots:
    void messageFontIsInstalled();
};

// The face that GDI draws for the given font.
static QString drawnFace(const LOGFONTW &logFont)
{
    HFONT font = CreateFontIndirectW(&logFont);
    if (!font)
        return QString();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    const bool named = GetTextFaceW(dc, LF_FACESIZE, face) > 0;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return named ? QString::fromWCharArray(face) : QString();
}

void TestSystemFont::messageFontIsInstalled()
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    QVERIFY(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
    const QString named = QString::fromWCharArray(metrics.lfMessageFont.lfFaceName);
    QVERIFY(!named.isEmpty());
    QCOMPARE(drawnFace(metrics.lfMessageFont), named);
}

QTEST_MAIN(TestSystemFont)
#include "tst_systemfont.moc"
