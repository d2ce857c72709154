#include "helpers/messagebox.h"

#include <QMessageBox>

// What QMessageBox's static functions do, with the text format pinned: their automatic
// format would render a name such as "x<b>y.txt" as rich text. Asked for no default
// button, they make Ok the default, so that Enter closes the box.
static void showBox(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, nullptr);
    box.setDefaultButton(QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void criticalBox(const QString &title, const QString &text)
{
    showBox(QMessageBox::Critical, title, text);
}

void warningBox(const QString &title, const QString &text)
{
    showBox(QMessageBox::Warning, title, text);
}
