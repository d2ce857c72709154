#include "support/windowdriver.h"

#include "support/dialogwatcher.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextBlock>

bool WindowDriver::show()
{
    main->show();
    return QTest::qWaitForWindowExposed(main.get());
}

bool WindowDriver::chooseFolder(const QString &folder)
{
    DialogWatcher watcher;
    watcher.answerFolders({ folder });
    clickSelectDir();
    return watcher.fileDialogs.size() == 1 && status() == folderStatus(folder);
}

void WindowDriver::setSearch(const QString &text, bool sensitive, int before, int after)
{
    widget<QLineEdit>("leSearch")->setText(text);
    widget<QCheckBox>("cbSensible")->setChecked(sensitive);
    setContext(before, after);
}

void WindowDriver::setContext(int before, int after)
{
    widget<QSpinBox>("sbBefore")->setValue(before);
    widget<QSpinBox>("sbAfter")->setValue(after);
}

void WindowDriver::setRecursive(bool recursive)
{
    widget<QCheckBox>("cbSubDirsSearch")->setChecked(recursive);
}

void WindowDriver::setFilter(const QString &filter)
{
    widget<QLineEdit>("leFilterFiles")->setText(filter);
}

void WindowDriver::search(const QString &text)
{
    widget<QLineEdit>("leSearch")->setText(text);
    clickSearch();
}

QStringList WindowDriver::logBlocks() const
{
    QStringList blocks;
    for (QTextBlock block = log()->document()->begin(); block.isValid(); block = block.next())
        blocks.append(block.text());
    return blocks;
}

QString folderStatus(const QString &folder)
{
    return QStringLiteral("Dossier de recherche : ") + folder;
}
