#include "store/search_file_marker.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

// The SQLite file header: a 16-byte magic text, and the application id at offset 68.
constexpr qint64 headerSize = 100;
constexpr qint64 applicationIdOffset = 68;
const QByteArray sqliteMagic("SQLite format 3\0", 16);

} // namespace

SearchFileKind searchFileKind(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return SearchFileKind::Missing;
    if (!info.isFile())
        return SearchFileKind::Foreign;
    if (info.size() == 0)
        return SearchFileKind::Empty;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return SearchFileKind::Foreign;
    const QByteArray header = file.read(headerSize);
    if (header.size() < headerSize || !header.startsWith(sqliteMagic))
        return SearchFileKind::Foreign;
    const quint32 id = qFromBigEndian<quint32>(header.constData() + applicationIdOffset);
    return id == searchFileApplicationId ? SearchFileKind::Ours : SearchFileKind::Foreign;
}
