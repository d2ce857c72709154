#include "mainwindow/mainwindow.h"

#include "about/fenapropos.h"
#include "helpers/helpers.h"
#include "mainwindow/mainwindowform.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), form(new MainWindowForm), progress(nullptr)
{
    form->build(this);
    setWindowIcon(QIcon(QStringLiteral(":/icons/icon-32.png")));
    // The bar stays out of sight until a search shows it.
    progress = form->progressBar;
    progress->hide();
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
    about->show();
}

void MainWindow::on_actionQuitter_triggered()
{
    QCoreApplication::quit();
}

void MainWindow::on_pbSearch_clicked()
{
}

void MainWindow::on_pbClearLog_clicked()
{
    form->plainTextEdit->clear();
}
