#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "search/scan/scanfile.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

class MainWindowForm;
class QProgressBar;

// The program's working window: the log, the search controls and the commands.
// Its slots are wired by object name when the form is built.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_pbSelectDir_clicked();
    void on_action_propos_de_morl_triggered();
    void on_actionQuitter_triggered();
    void on_pbSearch_clicked();
    void on_pbClearLog_clicked();

private:
    bool readOptions(ScanOptions &options);
    QStringList findFiles() const;
    void showProgress(qsizetype total);
    void setProgress(qsizetype done);

    MainWindowForm *form;
    QProgressBar *progress;
    QString searchFolder;
};

#endif // MAINWINDOW_H
