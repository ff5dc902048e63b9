#include "app/atomic_file.h"

#include <QSaveFile>

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    return writeFileAtomically(path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); });
}

std::optional<QString> writeFileAtomically(const QString& path, const std::function<bool(QIODevice& file)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!write(file)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}
