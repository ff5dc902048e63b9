#include "platform/chromium/renderer_memory.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>

#include <csignal>

std::optional<qint64> residentBytes(qint64 pid)
{
    if (pid <= 0)
        return std::nullopt;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("VmRSS:"))
            continue;
        bool ok = false;
        const qint64 kilobytes = line.mid(6).trimmed().split(' ').value(0).toLongLong(&ok);
        if (ok)
            return kilobytes * 1024;
    }
    return std::nullopt;
}

bool killProcess(qint64 pid)
{
    return pid > 0 && pid != QCoreApplication::applicationPid() && ::kill(pid_t(pid), SIGKILL) == 0;
}
