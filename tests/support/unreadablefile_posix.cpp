#include "support/unreadablefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

// Set in the environment of the unprivileged run, which must not start another one.
static const char unprivilegedMark[] = "MORL_TEST_UNPRIVILEGED";

UnreadableFile::UnreadableFile(const QString &path)
    : path(path)
{
    QFile::setPermissions(path, QFileDevice::Permissions());
}

// Owner's rights back, so that the test's temporary folder can be removed.
UnreadableFile::~UnreadableFile()
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool UnreadableFile::isUnreadable() const
{
    QFile probe(path);
    return !probe.open(QIODevice::ReadOnly);
}

bool readsEverything()
{
    return ::geteuid() == 0;
}

bool runUnprivileged(const QString &function, QByteArray *output)
{
    if (!qEnvironmentVariableIsEmpty(unprivilegedMark)) {
        *output = "already the unprivileged run";
        return false;
    }
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody) {
        *output = "no user nobody";
        return false;
    }
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(unprivilegedMark), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([uid, gid] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(125);
    });
    child.start(QCoreApplication::applicationFilePath(), { function });
    const bool finished = child.waitForFinished(300000);
    *output = child.readAll();
    return finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}
