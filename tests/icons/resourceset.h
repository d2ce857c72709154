#ifndef RESOURCESET_H
#define RESOURCESET_H

#include <QByteArray>
#include <QList>
#include <QString>

// A resource type or name: a 16-bit ordinal or a string.
struct ResId
{
    int ordinal = -1; // -1 when named
    QString name;

    bool is(int value) const { return ordinal == value; }
    bool is(const QString &value) const { return ordinal < 0 && name == value; }
};

// One resource: its type, name, language and data, as Windows finds it.
struct Resource
{
    ResId type;
    ResId name;
    quint16 language = 0;
    QByteArray data;
};

// The Windows resources of morl.exe. On the build machine they come from compiling
// icons/morl.rc with MinGW's windres; on Windows, from the built morl.exe itself, through
// the system's own resource functions. skip receives why they cannot be had here.
bool loadResources(QList<Resource> *out, QString *error, QString *skip);

#endif // RESOURCESET_H
