#include "helpers/helpers.h"

#include <QCoreApplication>
#include <QFileDialog>

QString chooseFolder(const QString &caption)
{
    return QFileDialog::getExistingDirectory(nullptr, caption,
                                             QCoreApplication::applicationDirPath(),
                                             QFileDialog::ShowDirsOnly
                                                     | QFileDialog::DontResolveSymlinks);
}
