#include "resourceset.h"

#include "bytereader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

static ResId readId(ByteReader &in)
{
    ResId id;
    const qsizetype start = in.pos;
    if (in.u16() == 0xFFFF) {
        id.ordinal = in.u16();
    } else {
        in.pos = start;
        id.name = in.utf16z();
    }
    return id;
}

// Splits a .res file into its records; the file opens with an empty 32-byte record
// that only marks the format, which is skipped.
static bool parseRes(const QByteArray &file, QList<Resource> *out)
{
    ByteReader in(file);
    while (in.ok && !in.atEnd()) {
        const qsizetype start = in.pos;
        const quint32 dataSize = in.u32();
        const quint32 headerSize = in.u32();
        Resource resource;
        resource.type = readId(in);
        resource.name = readId(in);
        in.align4();
        in.u32(); // DataVersion
        in.u16(); // MemoryFlags
        resource.language = in.u16();
        in.u32(); // Version
        in.u32(); // Characteristics
        if (!in.ok || in.pos != start + qsizetype(headerSize))
            return false;
        resource.data = in.take(dataSize);
        in.align4();
        if (dataSize != 0 || !resource.type.is(0))
            out->append(resource);
    }
    return in.ok;
}

bool loadResources(QList<Resource> *out, QString *error, QString *skip)
{
    const QString windres = QStringLiteral(MORL_WINDRES);
    if (windres.isEmpty()) {
        *skip = QStringLiteral("x86_64-w64-mingw32-windres was not found when configuring; it "
                               "comes with Debian's binutils-mingw-w64-x86-64");
        return false;
    }

    QTemporaryDir dir;
    if (!dir.isValid()) {
        *error = dir.errorString();
        return false;
    }
    const QString res = dir.filePath(QStringLiteral("morl.res"));

    // windres looks for a MinGW gcc to preprocess the script unless it is told which one
    // to use; the host compiler does the same job.
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(windres,
        { QStringLiteral("--preprocessor=" MORL_RC_PREPROCESSOR),
            QStringLiteral("--preprocessor-arg=-E"), QStringLiteral("--preprocessor-arg=-xc"),
            QStringLiteral("--preprocessor-arg=-DRC_INVOKED"), QStringLiteral("-J"),
            QStringLiteral("rc"), QStringLiteral("-O"), QStringLiteral("res"), QStringLiteral("-i"),
            QStringLiteral(MORL_RC_FILE), QStringLiteral("-o"), res });
    if (!process.waitForFinished(60000)) {
        *error = QStringLiteral("windres did not finish");
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }

    QFile file(res);
    if (!file.open(QIODevice::ReadOnly) || !parseRes(file.readAll(), out)) {
        *error = QStringLiteral("malformed .res file");
        return false;
    }
    return true;
}
