#include "resourceset.h"

#include <QDir>

#include <windows.h>

static ResId idOf(LPCWSTR id)
{
    ResId result;
    if (IS_INTRESOURCE(id))
        result.ordinal = int(reinterpret_cast<quintptr>(id));
    else
        result.name = QString::fromWCharArray(id);
    return result;
}

struct Walk
{
    HMODULE module;
    QList<Resource> *out;
};

static BOOL CALLBACK onLanguage(
    HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param)
{
    auto *walk = reinterpret_cast<Walk *>(param);
    Resource resource;
    resource.type = idOf(type);
    resource.name = idOf(name);
    resource.language = language;
    HRSRC found = ::FindResourceExW(module, type, name, language);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void *data = loaded ? ::LockResource(loaded) : nullptr;
    if (data)
        resource.data
            = QByteArray(static_cast<const char *>(data), int(::SizeofResource(module, found)));
    walk->out->append(resource);
    return TRUE;
}

static BOOL CALLBACK onName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param)
{
    ::EnumResourceLanguagesW(module, type, name, onLanguage, param);
    return TRUE;
}

static BOOL CALLBACK onType(HMODULE module, LPWSTR type, LONG_PTR param)
{
    ::EnumResourceNamesW(module, type, onName, param);
    return TRUE;
}

bool loadResources(QList<Resource> *out, QString *error, QString *)
{
    // The program is loaded as data only: nothing of it runs.
    const std::wstring path = QDir::toNativeSeparators(QStringLiteral(MORL_EXE)).toStdWString();
    HMODULE module = ::LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        *error = QStringLiteral("cannot load %1 as data (error %2)")
                     .arg(QStringLiteral(MORL_EXE))
                     .arg(::GetLastError());
        return false;
    }
    Walk walk { module, out };
    ::EnumResourceTypesW(module, onType, reinterpret_cast<LONG_PTR>(&walk));
    ::FreeLibrary(module);
    return true;
}
