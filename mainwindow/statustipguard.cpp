#include "mainwindow/statustipguard.h"

#include <QStatusTipEvent>

StatusTipGuard::StatusTipGuard(QObject *parent)
    : QObject(parent)
{ }

bool StatusTipGuard::eventFilter(QObject *watched, QEvent *event)
{
    // An empty tip has nothing to say: drop it. Tips with text go through as before.
    if (event->type() == QEvent::StatusTip
        && static_cast<QStatusTipEvent *>(event)->tip().isEmpty())
        return true;
    return QObject::eventFilter(watched, event);
}
