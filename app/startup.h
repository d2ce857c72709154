#ifndef STARTUP_H
#define STARTUP_H

#include <QStringList>

#include <optional>

class QApplication;
class QTranslator;

// Tries ":/i18n/Morl_<locale name>" for each language in order and installs the
// translator for the first one that loads. Returns whether one was installed.
bool installTranslation(QTranslator &translator, const QStringList &languages);

// Everything main() does once the application object exists: translation, main
// window, icon, event loop. Returns the event loop's result. Without a list of
// languages, the system locale's preferred interface languages are used.
int runMorl(QApplication &app, const std::optional<QStringList> &languages = std::nullopt);

#endif // STARTUP_H
