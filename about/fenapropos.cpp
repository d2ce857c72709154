#include "about/fenapropos.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

FenAPropos::FenAPropos(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout();
    auto *text = new QLabel();
    auto *image = new QLabel();

    // A tool window that blocks its parent while it is open.
    setWindowFlags(Qt::Tool);
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("À propos de Morl"));

    image->setPixmap(QPixmap(QStringLiteral(":/icons/icon-256.png")));
    text->setText(QStringLiteral("<strong>Morl</strong><br><br> version 1.1.0 du 22 mai "
                                 "2025<br><br>contact@example.org"));

    layout->addWidget(image);
    layout->addWidget(text);
    setLayout(layout);
    // The window takes its contents' size and cannot be resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
