#ifndef LOGDESCRIPTION_H
#define LOGDESCRIPTION_H

#include <QStringList>

class QPlainTextEdit;

// What a log shows and holds, one line per block with its formats and fragments, then
// the text cursor and the plain text: two logs that compare equal look and behave alike.
QStringList describeLog(const QPlainTextEdit &edit);

#endif // LOGDESCRIPTION_H
