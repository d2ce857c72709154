#ifndef MESSAGEBOX_H
#define MESSAGEBOX_H

#include <QString>

// The program's failure boxes: modal, without a parent window, the single button Ok. The
// text is shown as plain text, whatever it holds: a path or a marker that looks like
// markup is shown letter for letter, never rendered.
void criticalBox(const QString &title, const QString &text);
void warningBox(const QString &title, const QString &text);

#endif // MESSAGEBOX_H
