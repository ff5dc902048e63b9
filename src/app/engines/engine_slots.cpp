#include "app/engines/engine_slots.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

int chromiumSlotsAllowed(int asked, std::optional<qint64> availableBytes)
{
    int most = kMostChromiumSlots;
    if (availableBytes)
        most = int(std::clamp<qint64>(*availableBytes / kChromiumSlotBytes, 1, most));
    return std::clamp(asked, 1, most);
}

std::optional<qint64> availableMemoryBytes()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return std::nullopt;
    // "MemAvailable:   12345678 kB"
    for (const QByteArray& line : meminfo.readAll().split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool ok = false;
        const qint64 kib = fields.size() >= 2 ? fields.at(1).toLongLong(&ok) : 0;
        if (ok && kib >= 0)
            return kib * 1024;
    }
    return std::nullopt;
}
