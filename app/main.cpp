#include "app/startup.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return runMorl(app, QLocale::system().uiLanguages());
}
