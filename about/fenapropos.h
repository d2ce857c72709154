#ifndef FENAPROPOS_H
#define FENAPROPOS_H

#include <QWidget>

// The about window: the program's picture, name, version and contact line.
class FenAPropos : public QWidget
{
    Q_OBJECT

public:
    explicit FenAPropos(QWidget *parent = nullptr);
};

#endif // FENAPROPOS_H
