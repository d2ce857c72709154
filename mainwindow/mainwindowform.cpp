#include "mainwindow/mainwindowform.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

// Creates a context spin box: 0 to 99 (the default maximum), starting at 1.
static QSpinBox *createLineCountBox(QWidget *parent, const char *name)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMinimum(0);
    box->setValue(1);
    return box;
}

void MainWindowForm::build(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("MainWindow"));
    window->resize(800, 600);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/icon.ico"), QSize(), QIcon::Normal, QIcon::Off);
    window->setWindowIcon(icon);

    actionQuitter = new QAction(window);
    actionQuitter->setObjectName(QStringLiteral("actionQuitter"));
    action_propos_de_morl = new QAction(window);
    action_propos_de_morl->setObjectName(QStringLiteral("action_propos_de_morl"));

    // The log on top, read-only: only the search and the clear command change it.
    centralwidget = new QWidget(window);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));
    verticalLayout = new QVBoxLayout(centralwidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    plainTextEdit = new QPlainTextEdit(centralwidget);
    plainTextEdit->setObjectName(QStringLiteral("plainTextEdit"));
    plainTextEdit->setReadOnly(true);
    verticalLayout->addWidget(plainTextEdit);

    // The search controls: three rows by five columns, each widget placed as it is
    // created so that the default focus chain follows this order.
    gridLayout = new QGridLayout();
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    label_4 = new QLabel(centralwidget);
    label_4->setObjectName(QStringLiteral("label_4"));
    gridLayout->addWidget(label_4, 2, 0, 1, 1);
    sbAfter = createLineCountBox(centralwidget, "sbAfter");
    gridLayout->addWidget(sbAfter, 2, 3, 1, 1);
    leFilterFiles = new QLineEdit(centralwidget);
    leFilterFiles->setObjectName(QStringLiteral("leFilterFiles"));
    gridLayout->addWidget(leFilterFiles, 0, 2, 1, 1);
    label_5 = new QLabel(centralwidget);
    label_5->setObjectName(QStringLiteral("label_5"));
    gridLayout->addWidget(label_5, 2, 2, 1, 1);
    cbSubDirsSearch = new QCheckBox(centralwidget);
    cbSubDirsSearch->setObjectName(QStringLiteral("cbSubDirsSearch"));
    gridLayout->addWidget(cbSubDirsSearch, 0, 1, 1, 1);
    sbBefore = createLineCountBox(centralwidget, "sbBefore");
    gridLayout->addWidget(sbBefore, 2, 1, 1, 1);
    label_2 = new QLabel(centralwidget);
    label_2->setObjectName(QStringLiteral("label_2"));
    gridLayout->addWidget(label_2, 1, 0, 1, 1);
    pbSelectDir = new QPushButton(centralwidget);
    pbSelectDir->setObjectName(QStringLiteral("pbSelectDir"));
    gridLayout->addWidget(pbSelectDir, 0, 0, 1, 1);
    pbClearLog = new QPushButton(centralwidget);
    pbClearLog->setObjectName(QStringLiteral("pbClearLog"));
    gridLayout->addWidget(pbClearLog, 2, 4, 1, 1);
    label_3 = new QLabel(centralwidget);
    label_3->setObjectName(QStringLiteral("label_3"));
    gridLayout->addWidget(label_3, 0, 3, 1, 2);
    leSearch = new QLineEdit(centralwidget);
    leSearch->setObjectName(QStringLiteral("leSearch"));
    gridLayout->addWidget(leSearch, 1, 1, 1, 3);
    cbSensible = new QCheckBox(centralwidget);
    cbSensible->setObjectName(QStringLiteral("cbSensible"));
    gridLayout->addWidget(cbSensible, 1, 4, 1, 1);
    verticalLayout->addLayout(gridLayout);

    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    pbSearch = new QPushButton(centralwidget);
    pbSearch->setObjectName(QStringLiteral("pbSearch"));
    QFont font;
    font.setWeight(QFont::Bold);
    pbSearch->setFont(font);
    horizontalLayout_3->addWidget(pbSearch);
    verticalLayout->addLayout(horizontalLayout_3);

    progressBar = new QProgressBar(centralwidget);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setValue(24);
    verticalLayout->addWidget(progressBar);

    window->setCentralWidget(centralwidget);

    menubar = new QMenuBar(window);
    menubar->setObjectName(QStringLiteral("menubar"));
    menubar->setGeometry(QRect(0, 0, 800, 21));
    menuFichier = new QMenu(menubar);
    menuFichier->setObjectName(QStringLiteral("menuFichier"));
    menu = new QMenu(menubar);
    menu->setObjectName(QStringLiteral("menu"));
    window->setMenuBar(menubar);
    statusbar = new QStatusBar(window);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    window->setStatusBar(statusbar);

    menubar->addAction(menuFichier->menuAction());
    menubar->addAction(menu->menuAction());
    menuFichier->addAction(actionQuitter);
    menu->addAction(action_propos_de_morl);

    applyTexts(window);

    // The window's on_<object>_<signal> slots find their senders by object name.
    QMetaObject::connectSlotsByName(window);
}

void MainWindowForm::applyTexts(QMainWindow *window)
{
    auto tr = [](const char *text) { return QCoreApplication::translate("MainWindow", text); };
    window->setWindowTitle(tr("Morl"));
    actionQuitter->setText(tr("Quitter"));
    action_propos_de_morl->setText(tr("À propos de Morl..."));
    action_propos_de_morl->setToolTip(tr("À propos de Morl"));
    label_4->setText(tr("Nombre de lignes à afficher avant :"));
    leFilterFiles->setText(tr("*.*;*;*.;.*"));
    label_5->setText(tr("Nombre de lignes à afficher après :"));
    cbSubDirsSearch->setText(tr("Rechercher dans les sous dossiers"));
    label_2->setText(tr("Texte à rechercher :"));
    pbSelectDir->setText(tr("Choisir le dossier de recherche"));
    pbClearLog->setText(tr("Vider le journal"));
    label_3->setText(tr("Filtres fichiers au format nom.ext (séparés par un ;)"));
    cbSensible->setToolTip(tr("<html><head/><body><p>a != A</p></body></html>"));
    cbSensible->setText(tr("Sensible à la case"));
    pbSearch->setText(tr("Rechercher"));
    menuFichier->setTitle(tr("Fichier"));
    menu->setTitle(tr("?"));
}
