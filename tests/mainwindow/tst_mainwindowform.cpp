#include "support/windowdriver.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

class TestMainWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void objectsByName_data();
    void objectsByName();
    void gridPositions_data();
    void gridPositions();
    void layoutOrder();
    void texts_data();
    void texts();
    void defaults();
    void progressBarHiddenAndUnique();
    void focusChainFollowsCreation();
    void slotTable();
    void destructionDeletesEverythingOnce();

private:
    MainWindow *window() const { return driver.window(); }

    WindowDriver driver;
};

void TestMainWindowForm::init()
{
    driver.create();
}

void TestMainWindowForm::cleanup()
{
    driver.close();
}

void TestMainWindowForm::objectsByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");

    const char *const rows[][3] = {
        { "actionQuitter", "QAction", "MainWindow" },
        { "action_propos_de_morl", "QAction", "MainWindow" },
        { "centralwidget", "QWidget", "MainWindow" },
        { "verticalLayout", "QVBoxLayout", "centralwidget" },
        { "plainTextEdit", "QPlainTextEdit", "centralwidget" },
        { "gridLayout", "QGridLayout", "verticalLayout" },
        { "label_4", "QLabel", "centralwidget" },
        { "sbAfter", "QSpinBox", "centralwidget" },
        { "leFilterFiles", "QLineEdit", "centralwidget" },
        { "label_5", "QLabel", "centralwidget" },
        { "cbSubDirsSearch", "QCheckBox", "centralwidget" },
        { "sbBefore", "QSpinBox", "centralwidget" },
        { "label_2", "QLabel", "centralwidget" },
        { "pbSelectDir", "QPushButton", "centralwidget" },
        { "pbClearLog", "QPushButton", "centralwidget" },
        { "label_3", "QLabel", "centralwidget" },
        { "leSearch", "QLineEdit", "centralwidget" },
        { "cbSensible", "QCheckBox", "centralwidget" },
        { "horizontalLayout_3", "QHBoxLayout", "verticalLayout" },
        { "pbSearch", "QPushButton", "centralwidget" },
        { "progressBar", "QProgressBar", "centralwidget" },
        { "menubar", "QMenuBar", "MainWindow" },
        { "menuFichier", "QMenu", "menubar" },
        { "menu", "QMenu", "menubar" },
        { "statusbar", "QStatusBar", "MainWindow" },
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1] << row[2];
}

void TestMainWindowForm::objectsByName()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);

    QCOMPARE(window()->objectName(), QString("MainWindow"));
    const QList<QObject *> found = window()->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString(found.first()->metaObject()->className()), className);
    QVERIFY(found.first()->parent());
    QCOMPARE(found.first()->parent()->objectName(), parentName);
}

void TestMainWindowForm::gridPositions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("columnSpan");

    QTest::newRow("pbSelectDir") << "pbSelectDir" << 0 << 0 << 1;
    QTest::newRow("cbSubDirsSearch") << "cbSubDirsSearch" << 0 << 1 << 1;
    QTest::newRow("leFilterFiles") << "leFilterFiles" << 0 << 2 << 1;
    QTest::newRow("label_3") << "label_3" << 0 << 3 << 2;
    QTest::newRow("label_2") << "label_2" << 1 << 0 << 1;
    QTest::newRow("leSearch") << "leSearch" << 1 << 1 << 3;
    QTest::newRow("cbSensible") << "cbSensible" << 1 << 4 << 1;
    QTest::newRow("label_4") << "label_4" << 2 << 0 << 1;
    QTest::newRow("sbBefore") << "sbBefore" << 2 << 1 << 1;
    QTest::newRow("label_5") << "label_5" << 2 << 2 << 1;
    QTest::newRow("sbAfter") << "sbAfter" << 2 << 3 << 1;
    QTest::newRow("pbClearLog") << "pbClearLog" << 2 << 4 << 1;
}

void TestMainWindowForm::gridPositions()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, columnSpan);

    auto *grid = driver.widget<QGridLayout>("gridLayout");
    auto *widget = window()->findChild<QWidget *>(name);
    QVERIFY(grid && widget);
    const int index = grid->indexOf(widget);
    QVERIFY(index >= 0);
    int r, c, rs, cs;
    grid->getItemPosition(index, &r, &c, &rs, &cs);
    QCOMPARE(r, row);
    QCOMPARE(c, column);
    QCOMPARE(rs, 1);
    QCOMPARE(cs, columnSpan);
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->columnCount(), 5);
}

void TestMainWindowForm::layoutOrder()
{
    // From top to bottom: log, grid, the search button's row, progress bar.
    auto *vertical = driver.widget<QVBoxLayout>("verticalLayout");
    QVERIFY(vertical);
    QCOMPARE(vertical->count(), 4);
    QCOMPARE(vertical->itemAt(0)->widget(), driver.widget<QWidget>("plainTextEdit"));
    QCOMPARE(vertical->itemAt(1)->layout(), driver.widget<QLayout>("gridLayout"));
    QCOMPARE(vertical->itemAt(2)->layout(), driver.widget<QLayout>("horizontalLayout_3"));
    QCOMPARE(vertical->itemAt(3)->widget(), driver.widget<QWidget>("progressBar"));
    auto *searchRow = driver.widget<QLayout>("horizontalLayout_3");
    QCOMPARE(searchRow->count(), 1);
    QCOMPARE(searchRow->itemAt(0)->widget(), driver.widget<QWidget>("pbSearch"));
    QCOMPARE(window()->centralWidget(), driver.widget<QWidget>("centralwidget"));
    QCOMPARE(window()->menuBar(), driver.widget<QMenuBar>("menubar"));
    QCOMPARE(window()->statusBar(), driver.widget<QStatusBar>("statusbar"));

    // The menus and their single entries.
    auto *menubar = driver.widget<QMenuBar>("menubar");
    const QList<QAction *> menus = menubar->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus.at(0)->menu(), driver.widget<QMenu>("menuFichier"));
    QCOMPARE(menus.at(1)->menu(), driver.widget<QMenu>("menu"));
    QCOMPARE(driver.widget<QMenu>("menuFichier")->actions(),
        QList<QAction *> { driver.widget<QAction>("actionQuitter") });
    QCOMPARE(driver.widget<QMenu>("menu")->actions(),
        QList<QAction *> { driver.widget<QAction>("action_propos_de_morl") });
}

void TestMainWindowForm::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("expected");

    const auto row
        = [](const char *tag, const char *name, const char *property, const QString &expected) {
              QTest::newRow(tag) << QString(name) << QString(property) << expected;
          };
    row("window title", "MainWindow", "windowTitle", "Morl");
    row("actionQuitter", "actionQuitter", "text", "Quitter");
    row("about text", "action_propos_de_morl", "text", "À propos de Morl...");
    row("about tip", "action_propos_de_morl", "toolTip", "À propos de Morl");
    row("label_4", "label_4", "text", "Nombre de lignes à afficher avant :");
    row("leFilterFiles", "leFilterFiles", "text", "*.*;*;*.;.*");
    row("label_5", "label_5", "text", "Nombre de lignes à afficher après :");
    row("cbSubDirsSearch", "cbSubDirsSearch", "text", "Rechercher dans les sous dossiers");
    row("label_2", "label_2", "text", "Texte à rechercher :");
    row("pbSelectDir", "pbSelectDir", "text", "Choisir le dossier de recherche");
    row("pbClearLog", "pbClearLog", "text", "Vider le journal");
    row("label_3", "label_3", "text", "Filtres fichiers au format nom.ext (séparés par un ;)");
    row("cbSensible tip", "cbSensible", "toolTip",
        "<html><head/><body><p>a != A</p></body></html>");
    row("cbSensible", "cbSensible", "text", "Sensible à la case");
    row("pbSearch", "pbSearch", "text", "Rechercher");
    row("menuFichier", "menuFichier", "title", "Fichier");
    row("menu", "menu", "title", "?");
}

void TestMainWindowForm::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, property);
    QFETCH(QString, expected);

    QObject *object = name == "MainWindow" ? window() : window()->findChild<QObject *>(name);
    QVERIFY(object);
    QCOMPARE(object->property(property.toLatin1()).toString(), expected);
}

void TestMainWindowForm::defaults()
{
    QCOMPARE(window()->size(), QSize(800, 600));
    QVERIFY(driver.widget<QPlainTextEdit>("plainTextEdit")->isReadOnly());
    QVERIFY(driver.widget<QPlainTextEdit>("plainTextEdit")->toPlainText().isEmpty());
    QVERIFY(driver.widget<QLineEdit>("leSearch")->text().isEmpty());
    QVERIFY(!driver.widget<QCheckBox>("cbSubDirsSearch")->isChecked());
    QVERIFY(!driver.widget<QCheckBox>("cbSensible")->isChecked());
    QVERIFY(driver.widget<QStatusBar>("statusbar")->currentMessage().isEmpty());
    QCOMPARE(driver.widget<QPushButton>("pbSearch")->font().weight(), QFont::Bold);
    QVERIFY(driver.widget<QAction>("actionQuitter")->shortcut().isEmpty());

    // Both spin boxes: 0 to 99, starting at 1; values outside are clamped.
    for (const char *name : { "sbBefore", "sbAfter" }) {
        auto *box = window()->findChild<QSpinBox *>(name);
        QVERIFY(box);
        QCOMPARE(box->value(), 1);
        QCOMPARE(box->minimum(), 0);
        QCOMPARE(box->maximum(), 99);
        box->setValue(-5);
        QCOMPARE(box->value(), 0);
        box->setValue(100);
        QCOMPARE(box->value(), 99);
    }

    // The window's icon is the single 32x32 image set by the constructor.
    const QList<QSize> sizes = window()->windowIcon().availableSizes();
    QCOMPARE(sizes, QList<QSize> { QSize(32, 32) });
}

void TestMainWindowForm::progressBarHiddenAndUnique()
{
    const QList<QProgressBar *> bars = window()->findChildren<QProgressBar *>();
    QCOMPARE(bars.size(), 1);
    QCOMPARE(bars.first()->objectName(), QString("progressBar"));
    QCOMPARE(bars.first()->value(), 24);
    QVERIFY(driver.show());
    QVERIFY(!bars.first()->isVisible());
    QVERIFY(driver.widget<QPlainTextEdit>("plainTextEdit")->isVisible());
}

void TestMainWindowForm::focusChainFollowsCreation()
{
    const QStringList expected = { "plainTextEdit", "sbAfter", "leFilterFiles", "cbSubDirsSearch",
        "sbBefore", "pbSelectDir", "pbClearLog", "leSearch", "cbSensible", "pbSearch" };
    QStringList chain;
    QWidget *start = driver.widget<QWidget>("plainTextEdit");
    QWidget *w = start;
    do {
        // Only widgets that take focus by tabbing, among the form's named ones.
        if ((w->focusPolicy() & Qt::TabFocus) && expected.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w && w != start && chain.size() < 20);
    QCOMPARE(chain, expected);
}

void TestMainWindowForm::slotTable()
{
    const QMetaObject *meta = window()->metaObject();
    QCOMPARE(QString(meta->className()), QString("MainWindow"));
    QCOMPARE(meta->superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
    QStringList names;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QCOMPARE(method.parameterCount(), 0);
        names << QString::fromLatin1(method.methodSignature());
    }
    QCOMPARE(names,
        QStringList({ "on_pbSelectDir_clicked()", "on_action_propos_de_morl_triggered()",
            "on_actionQuitter_triggered()", "on_pbSearch_clicked()", "on_pbClearLog_clicked()" }));
    QVERIFY(window()->qt_metacast("MainWindow") == window());
}

void TestMainWindowForm::destructionDeletesEverythingOnce()
{
    QList<QPointer<QObject>> objects;
    for (QObject *child : window()->findChildren<QObject *>())
        objects << child;
    QVERIFY(objects.size() >= 25);
    driver.close();
    for (const QPointer<QObject> &object : objects)
        QVERIFY(object.isNull());
}

QTEST_MAIN(TestMainWindowForm)
#include "tst_mainwindowform.moc"
