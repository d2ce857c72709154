// Takes the pictures of Morl's main window that the README shows, from the real widgets.
//
//     morl_screenshot [search] [output folder]
//
// Without "search" it saves main-window.png: the window as it opens. With "search" it
// chooses a small demo folder through the folder dialog, types a text, runs the search
// and saves search.png. The output folder defaults to docs/screenshots.

#include "mainwindow/mainwindow.h"
#include "support/dialogwatcher.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cstdio>

// A few short French texts, so that the log shows hits with their context lines.
static bool writeDemoFiles(const QDir &dir)
{
    const QList<QPair<QString, QString>> files = {
        { QStringLiteral("journal.txt"),
            QStringLiteral("Lundi : réunion de l'équipe à neuf heures.\n"
                           "Mardi : le soleil est revenu sur la ville.\n"
                           "Mercredi : relire le rapport annuel.\n"
                           "Jeudi : promenade au bord de la rivière.\n") },
        { QStringLiteral("poeme.txt"),
            QStringLiteral("Le matin se lève sans bruit,\n"
                           "Le soleil dore les toits gris,\n"
                           "Et la ville encore endormie\n"
                           "Attend le premier café servi.\n") },
        { QStringLiteral("recette.txt"),
            QStringLiteral("Tarte aux pommes\n"
                           "Préchauffer le four à 180 °C.\n"
                           "Éplucher quatre pommes et les couper en lamelles.\n"
                           "Cuire trente minutes, puis laisser refroidir au soleil.\n") },
        { QStringLiteral("notes.md"),
            QStringLiteral("# Idées\n"
                           "- Ranger les photos de vacances\n"
                           "- Acheter de la crème solaire\n") },
    };
    for (const auto &file : files) {
        QFile out(dir.filePath(file.first));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        QTextStream(&out) << file.second;
    }
    return true;
}

// Chooses the folder through the real dialog, types the text and runs the search.
static bool runDemoSearch(MainWindow &window, const QString &folder)
{
    auto *selectDir = window.findChild<QPushButton *>(QStringLiteral("pbSelectDir"));
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("leSearch"));
    auto *start = window.findChild<QPushButton *>(QStringLiteral("pbSearch"));
    if (!selectDir || !search || !start)
        return false;

    DialogWatcher watcher;
    watcher.answerFolders({ folder });
    QTest::mouseClick(selectDir, Qt::LeftButton);
    if (watcher.fileDialogs.size() != 1)
        return false;

    QTest::keyClicks(search, QStringLiteral("soleil"));
    QTest::mouseClick(start, Qt::LeftButton);
    // Any box that the search opens is closed by the watcher; the picture shows none.
    return watcher.messageBoxes.isEmpty();
}

static int fail(const char *message)
{
    std::fprintf(stderr, "morl_screenshot: %s\n", message);
    return 1;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool searchMode = !args.isEmpty() && args.first() == QStringLiteral("search");
    if (searchMode)
        args.removeFirst();
    const QDir outDir(args.value(0, QStringLiteral("docs/screenshots")));
    if (!outDir.exists() && !QDir().mkpath(outDir.path()))
        return fail("cannot create the output folder");

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return fail("the window was not shown");

    QString name = QStringLiteral("main-window.png");
    QTemporaryDir demo(QDir::tempPath() + QStringLiteral("/demo-XXXXXX"));
    if (searchMode) {
        // A folder with a readable name inside the temporary one, as it appears in the log.
        if (!demo.isValid() || !QDir(demo.path()).mkdir(QStringLiteral("exemples")))
            return fail("cannot create the demo folder");
        const QString folder = demo.filePath(QStringLiteral("exemples"));
        if (!writeDemoFiles(QDir(folder)))
            return fail("cannot write the demo files");
        if (!runDemoSearch(window, folder))
            return fail("the demo search did not run as expected");
        name = QStringLiteral("search.png");
    }

    // Let pending layout and paint events settle before grabbing.
    QTest::qWait(200);
    const QString path = outDir.filePath(name);
    if (!window.grab().save(path, "PNG"))
        return fail("cannot save the picture");
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
    return 0;
}
