#include "about/fenapropos.h"
#include "app/startup.h"
#include "mainwindow/mainwindow.h"
#include "support/windowdriver.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void translationLookup_data();
    void translationLookup();
    void translatedFormOnly();
    void quitActionEndsWithZero();
    void closingWindowEndsWithZero();
};

static MainWindow *shownMainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(w); window && window->isVisible())
            return window;
    }
    return nullptr;
}

// Once the event loop runs, acts on the window that start-up has shown; without one, ends
// the loop with 42.
static void onShownWindow(const std::function<void(MainWindow *)> &act)
{
    QTimer::singleShot(0, [act] {
        MainWindow *window = shownMainWindow();
        if (window)
            act(window);
        else
            QCoreApplication::exit(42);
    });
}

void TestStartup::translationLookup_data()
{
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("quitText");

    QTest::newRow("no language") << QStringList() << false << "Quitter";
    QTest::newRow("no translation for any")
        << QStringList { "fr-FR", "en-US", "ja-JP" } << false << "Quitter";
    QTest::newRow("only later entry has one") << QStringList { "en-US", "it-IT" } << true << "Esci";
    QTest::newRow("earlier entry wins (de before it)")
        << QStringList { "de-DE", "it-IT" } << true << "Beenden";
    QTest::newRow("earlier entry wins (it before de)")
        << QStringList { "it-IT", "de-DE" } << true << "Esci";
    // The locale's name is language_TERRITORY, and the loader falls back to Morl_de.
    QTest::newRow("territory found through the locale name")
        << QStringList { "de" } << true << "Beenden";
}

void TestStartup::translationLookup()
{
    QFETCH(QStringList, languages);
    QFETCH(bool, installed);
    QFETCH(QString, quitText);

    QTranslator translator;
    QCOMPARE(installTranslation(translator, languages), installed);
    QCOMPARE(translator.isEmpty(), !installed);
    QCOMPARE(QCoreApplication::translate("MainWindow", "Quitter"), quitText);

    // The window built afterwards shows the installed texts.
    WindowDriver driver;
    driver.create();
    auto *quit = driver.widget<QAction>("actionQuitter");
    QVERIFY(quit);
    QCOMPARE(quit->text(), quitText);
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(QCoreApplication::translate("MainWindow", "Quitter"), QString("Quitter"));
}

void TestStartup::translatedFormOnly()
{
    QTranslator translator;
    QVERIFY(installTranslation(translator, { "de-DE" }));
    WindowDriver driver;
    driver.create();
    QCOMPARE(driver.widget<QPushButton>("pbSearch")->text(), QString("Suchen"));
    // Texts outside the form never pass through the translator.
    FenAPropos about(driver.window());
    QCOMPARE(about.windowTitle(), QString("À propos de Morl"));
    QCoreApplication::removeTranslator(&translator);
}

void TestStartup::quitActionEndsWithZero()
{
    QStringList iconSizes;
    bool visible = false;
    onShownWindow([&](MainWindow *window) {
        visible = window->isVisible();
        for (const QSize &size : window->windowIcon().availableSizes())
            iconSizes << QString::number(size.width());
        window->findChild<QAction *>("actionQuitter")->trigger();
    });
    const int result = runMorl(*qApp, QStringList());
    QCOMPARE(result, 0);
    QVERIFY(visible);
    // The three-image icon set last by start-up, not the single 32x32 image.
    QCOMPARE(iconSizes, QStringList({ "16", "32", "256" }));
    QVERIFY(!shownMainWindow());
}

void TestStartup::closingWindowEndsWithZero()
{
    bool closed = false;
    onShownWindow([&](MainWindow *window) { closed = window->close(); });
    // Safety net: a loop that did not end on close would hang the test otherwise.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(43); });
    guard.start(20000);
    QCOMPARE(runMorl(*qApp, QStringList { "en-US" }), 0);
    QVERIFY(closed);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
