#include "platform/stale_cache_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

const QString prefix = QStringLiteral("quorvane-cache-");

// True unless the process is known to be gone: a process of another user, or one that
// cannot be asked, is taken for alive.
bool processMayBeAlive(qint64 pid)
{
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return true;
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

} // namespace

QString cacheFolderTemplate(const QString& folder)
{
    return QStringLiteral("%1/%2%3-XXXXXX").arg(folder, prefix).arg(qint64(::getpid()));
}

int removeStaleCacheFolders(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^quorvane-cache-([0-9]{1,10})-[^/]+$"));
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList({prefix + QLatin1Char('*')},
                                                             QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch match = name.match(entry.fileName());
        if (!match.hasMatch() || entry.isSymLink() || entry.ownerId() != ::getuid())
            continue;
        if (processMayBeAlive(match.captured(1).toLongLong()))
            continue;
        if (QDir(entry.filePath()).removeRecursively())
            ++removed;
    }
    return removed;
}
