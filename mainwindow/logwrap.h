#ifndef LOGWRAP_H
#define LOGWRAP_H

#include <QString>

class QPlainTextEdit;

// How the log breaks its lines. It breaks them between words, and inside a word only where
// the word is longer than the view is wide. Looking for the next place between words,
// the text layout reads on to the end of a run without blanks for every line it makes:
// a line of a million characters without a blank (a minified script, a base64 blob)
// takes minutes. Once the log holds such a line, it breaks lines anywhere instead, which
// takes time in proportion to their length; the text itself stays as it is. The log
// breaks between words again once it is emptied.

// Whether showing the line calls for breaking anywhere: a run of more characters without
// a blank than ever make a word.
bool needsBreakAnywhere(const QString &line);

// Makes the log break its lines anywhere when line calls for it (before it goes in).
void prepareLogWrap(QPlainTextEdit *edit, const QString &line);

// Makes an empty log break its lines between words again.
void resetLogWrap(QPlainTextEdit *edit);

#endif // LOGWRAP_H
