#include "about/fenapropos.h"
#include "support/windowdriver.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class TestFenAPropos : public QObject
{
    Q_OBJECT

private slots:
    void contents();
    void fixedSizeToolWindow();
    void aboutCommandOpensFreshWindows();
    void mainWindowBlockedWhileOpen();
};

static QList<FenAPropos *> aboutWindows(const WindowDriver &driver)
{
    return driver.window()->findChildren<FenAPropos *>(QString(), Qt::FindDirectChildrenOnly);
}

void TestFenAPropos::contents()
{
    FenAPropos about;
    QCOMPARE(QString(about.metaObject()->className()), QString("FenAPropos"));
    QCOMPARE(about.metaObject()->superClass(), &QWidget::staticMetaObject);
    QCOMPARE(about.windowTitle(), QString("À propos de Morl"));
    QVERIFY(!about.isVisible());
    QVERIFY(!about.testAttribute(Qt::WA_DeleteOnClose));

    // Picture on top, text below.
    QLayout *layout = about.layout();
    QVERIFY(layout);
    QCOMPARE(layout->count(), 2);
    auto *image = qobject_cast<QLabel *>(layout->itemAt(0)->widget());
    auto *text = qobject_cast<QLabel *>(layout->itemAt(1)->widget());
    QVERIFY(image && text);
    QCOMPARE(image->pixmap().size(), QSize(256, 256));
    QVERIFY(text->text().startsWith(
        "<strong>Morl</strong><br><br> version 1.1.0 du 22 mai 2025<br><br>"));
    const QString contact = text->text().mid(62);
    QVERIFY2(
        contact.endsWith("@example.org") || contact.endsWith("@example.com"), qPrintable(contact));
    QCOMPARE(text->textFormat(), Qt::AutoText);
}

void TestFenAPropos::fixedSizeToolWindow()
{
    QWidget parent;
    FenAPropos about(&parent);
    // Qt adds the default title-bar hints to the bare Qt::Tool type.
    QCOMPARE(about.windowType(), Qt::Tool);
    QVERIFY(about.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(about.windowModality(), Qt::WindowModal);
    QCOMPARE(about.layout()->sizeConstraint(), QLayout::SetFixedSize);
    parent.show();
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    // The size follows from the contents and cannot change.
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(about.width() >= 256 && about.height() > 256);
    const QSize size = about.size();
    about.resize(size + QSize(100, 100));
    QCOMPARE(about.size(), size);
}

void TestFenAPropos::aboutCommandOpensFreshWindows()
{
    WindowDriver driver;
    QVERIFY(driver.open());

    driver.trigger("action_propos_de_morl");
    QList<FenAPropos *> opened = aboutWindows(driver);
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened.first()->isVisible());
    QPointer<FenAPropos> first = opened.first();
    first->close();
    QVERIFY(!first.isNull()); // closing only hides it
    QVERIFY(!first->isVisible());

    driver.trigger("action_propos_de_morl");
    opened = aboutWindows(driver);
    QCOMPARE(opened.size(), 2);
    QPointer<FenAPropos> second = opened.last();
    QVERIFY(second != first);
    QVERIFY(second->isVisible());
    QCOMPARE(second->findChildren<QLabel *>().size(), 2);

    driver.close();
    QVERIFY(first.isNull());
    QVERIFY(second.isNull());
}

void TestFenAPropos::mainWindowBlockedWhileOpen()
{
    WindowDriver driver;
    QVERIFY(driver.open());
    MainWindow &window = *driver.window();
    QPlainTextEdit *log = driver.log();
    auto *clear = driver.widget<QPushButton>("pbClearLog");
    log->appendPlainText("still here");

    driver.trigger("action_propos_de_morl");
    FenAPropos *about = aboutWindows(driver).first();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(QApplication::activeModalWidget() == about);
    // Click through the window system, where modality applies, as a user would.
    const QPoint centre = clear->mapTo(&window, clear->rect().center());
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, centre);
    QCOMPARE(log->toPlainText(), QString("still here"));

    about->close();
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, centre);
    QVERIFY(log->toPlainText().isEmpty());
}

QTEST_MAIN(TestFenAPropos)
#include "tst_fenapropos.moc"
