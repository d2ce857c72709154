#ifndef STATUSTIPGUARD_H
#define STATUSTIPGUARD_H

#include <QObject>

// Keeps the status bar's message when a menu or an action without a status tip is
// hovered. The main window shows every status tip it receives, empty ones too, and an
// empty tip would wipe the message that names the search folder for good.
class StatusTipGuard : public QObject
{
public:
    explicit StatusTipGuard(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif // STATUSTIPGUARD_H
