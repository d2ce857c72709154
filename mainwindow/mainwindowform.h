#ifndef MAINWINDOWFORM_H
#define MAINWINDOWFORM_H

class QAction;
class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QVBoxLayout;
class QWidget;

// The main window's widgets, built in one place. The form points to every object it
// creates but owns none of them: they belong to the window through Qt's parent-child
// ownership, so deleting the form deletes nothing else.
class MainWindowForm
{
public:
    QAction *actionQuitter = nullptr;
    QAction *action_propos_de_morl = nullptr;
    QWidget *centralwidget = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QPlainTextEdit *plainTextEdit = nullptr;
    QGridLayout *gridLayout = nullptr;
    QLabel *label_4 = nullptr;
    QSpinBox *sbAfter = nullptr;
    QLineEdit *leFilterFiles = nullptr;
    QLabel *label_5 = nullptr;
    QCheckBox *cbSubDirsSearch = nullptr;
    QSpinBox *sbBefore = nullptr;
    QLabel *label_2 = nullptr;
    QPushButton *pbSelectDir = nullptr;
    QPushButton *pbClearLog = nullptr;
    QLabel *label_3 = nullptr;
    QLineEdit *leSearch = nullptr;
    QCheckBox *cbSensible = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QPushButton *pbSearch = nullptr;
    QProgressBar *progressBar = nullptr;
    QMenuBar *menubar = nullptr;
    QMenu *menuFichier = nullptr;
    QMenu *menu = nullptr;
    QStatusBar *statusbar = nullptr;

    // Creates every widget on the window, sets the texts and wires the window's
    // on_<object>_<signal> slots by object name.
    void build(QMainWindow *window);
    // Sets every user-visible text, through the translator (context "MainWindow").
    void applyTexts(QMainWindow *window);
};

#endif // MAINWINDOWFORM_H
