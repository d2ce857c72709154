#include "mainwindow/logwrap.h"

#include <QPlainTextEdit>
#include <QTextOption>

// Even a long run costs little to break between words: the time grows with the square of
// the run's length, and a few thousand characters take a few milliseconds.
static constexpr qsizetype longestRun = 4096;

// The blanks after which a line may break. The no-break spaces are not among them.
static bool isBreakingBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == 0x1680 || (c >= 0x2000 && c <= 0x200B && c != 0x2007)
        || c == 0x205F || c == 0x3000;
}

bool needsBreakAnywhere(const QString &line)
{
    if (line.size() <= longestRun)
        return false;
    qsizetype run = 0;
    for (const QChar c : line) {
        run = isBreakingBlank(c.unicode()) ? 0 : run + 1;
        if (run > longestRun)
            return true;
    }
    return false;
}

void prepareLogWrap(QPlainTextEdit *edit, const QString &line)
{
    // Most lines are ruled out by their length alone.
    if (needsBreakAnywhere(line) && edit->wordWrapMode() != QTextOption::WrapAnywhere)
        edit->setWordWrapMode(QTextOption::WrapAnywhere);
}

void resetLogWrap(QPlainTextEdit *edit)
{
    edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}
