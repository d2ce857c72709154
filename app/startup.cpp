#include "app/startup.h"

#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTranslator>

bool installTranslation(QTranslator &translator, const QStringList &languages)
{
    // The first language whose translation loads wins; the later ones are never tried.
    for (const QString &language : languages) {
        const QString baseName = QLatin1String("Morl_") + QLocale(language).name();
        if (translator.load(QLatin1String(":/i18n/") + baseName)) {
            QCoreApplication::installTranslator(&translator);
            return true;
        }
    }
    return false;
}

int runMorl(QApplication &app, const std::optional<QStringList> &languages)
{
    QTranslator translator;
    const QStringList preferred = languages ? *languages : QLocale::system().uiLanguages();
    installTranslation(translator, preferred);

    MainWindow window;
    // The form and the constructor set the icon already; the three-image icon wins.
    window.setWindowIcon(QIcon(QStringLiteral(":/icons/icon.ico")));
    window.show();
    return app.exec();
}
