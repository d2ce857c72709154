#include "mainwindow/mainwindow.h"

#include "about/fenapropos.h"
#include "helpers/helpers.h"
#include "helpers/messagebox.h"
#include "mainwindow/batchedlog.h"
#include "mainwindow/logwrap.h"
#include "mainwindow/mainwindowform.h"
#include "mainwindow/statustipguard.h"
#include "search/walk/collectfiles.h"
#include "search/run/logceiling.h"
#include "search/run/searchrun.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QIcon>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>

#include <algorithm>
#include <limits>

// The bar takes ints; beyond that it simply stays full.
static int barValue(qsizetype n)
{
    return int(std::min<qsizetype>(n, std::numeric_limits<int>::max()));
}

// Places a window that is about to be shown over the middle of another one, instead of
// wherever the window manager would put it.
static void centreOver(QWidget *window, const QWidget *over)
{
    window->adjustSize();
    window->move(over->frameGeometry().center() - window->rect().center());
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , form(new MainWindowForm)
    , progress(nullptr)
{
    form->build(this);
    setWindowIcon(QIcon(QStringLiteral(":/icons/icon-32.png")));
    // The bar stays out of sight until a search shows it.
    progress = form->progressBar;
    progress->hide();
    // Hovering the menus must not wipe the name of the search folder.
    installEventFilter(new StatusTipGuard(this));
}

MainWindow::~MainWindow()
{
    delete form;
}

void MainWindow::on_pbSelectDir_clicked()
{
    // A cancelled dialog empties the folder on purpose: the search then refuses to start.
    searchFolder = chooseFolder(QStringLiteral("Sélectionnez le dossier"));
    form->statusbar->showMessage(QStringLiteral("Dossier de recherche : ") + searchFolder, 0);
}

void MainWindow::on_action_propos_de_morl_triggered()
{
    // A fresh window each time; hidden ones live on as children until the window dies.
    auto *about = new FenAPropos(this);
    centreOver(about, this);
    about->show();
}

void MainWindow::on_actionQuitter_triggered()
{
    QCoreApplication::quit();
}

void MainWindow::on_pbSearch_clicked()
{
    ScanOptions options;
    if (!readOptions(options))
        return;
    const QStringList files = findFiles();

    // The report goes into the log in batches, laid out once instead of entry by entry,
    // as long as the memory can hold it.
    BatchedLog log(form->plainTextEdit);
    LogCeiling ceiling = LogCeiling::forLog(form->plainTextEdit->document()->characterCount());
    showProgress(files.size());
    const SearchRun run = runSearch(
        files, options, log, [this](qsizetype done) { setProgress(done); }, &ceiling);
    // The bar stays where the run stopped, at the file named in the box.
    switch (run.end) {
    case SearchRun::End::Completed:
        break;
    case SearchRun::End::CannotOpen:
        criticalBox(QStringLiteral("Fichier illisible"),
            QStringLiteral("impossible d'ouvrir le fichier ") + run.stopPath + QStringLiteral("."));
        return;
    case SearchRun::End::LogFull:
        warningBox(QStringLiteral("Journal plein"),
            QStringLiteral("Le journal ne peut pas contenir la suite du rapport : la recherche "
                           "s'arrête au fichier ")
                + run.stopPath + QStringLiteral("."));
        return;
    }
    progress->hide();
    form->statusbar->showMessage(QStringLiteral("Dossier de recherche : ") + searchFolder, 0);
}

// The search options as the form shows them; a box says what is missing, if anything.
bool MainWindow::readOptions(ScanOptions &options)
{
    if (searchFolder.isEmpty()) {
        warningBox(QStringLiteral("Erreur"),
            QStringLiteral("Vous devez choisir un dossier dans lequel "
                           "rechercher le texte."));
        return false;
    }
    options.text = form->leSearch->text();
    if (options.text.isEmpty()) {
        warningBox(
            QStringLiteral("Erreur"), QStringLiteral("Vous devez choisir un texte à rechercher."));
        return false;
    }
    options.caseSensitivity
        = form->cbSensible->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    options.before = form->sbBefore->value();
    options.after = form->sbAfter->value();
    return true;
}

QStringList MainWindow::findFiles() const
{
    QStringList files;
    collectFiles(
        searchFolder, files, form->cbSubDirsSearch->isChecked(), form->leFilterFiles->text());
    return files;
}

// No events are processed during the run, so the bar is laid out and painted at once:
// empty from the start, then setValue repaints it whenever its look changes.
void MainWindow::showProgress(qsizetype total)
{
    progress->show();
    form->centralwidget->layout()->activate();
    progress->setRange(0, barValue(total));
    progress->reset();
}

void MainWindow::setProgress(qsizetype done)
{
    progress->setValue(barValue(done));
}

void MainWindow::on_pbClearLog_clicked()
{
    form->plainTextEdit->clear();
    resetLogWrap(form->plainTextEdit);
}
