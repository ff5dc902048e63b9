#include "extract/pictures_awaiting_type.h"

#include "platform/type_probe.h"
#include "text/picture_types.h"

#include <QUrl>

PicturesAwaitingType::PicturesAwaitingType(TypeProbe& probe, PictureTable& pictures, QObject* parent)
    : QObject(parent), m_probe(probe), m_pictures(pictures)
{
    connect(&m_probe, &TypeProbe::answered, this, &PicturesAwaitingType::answered);
}

void PicturesAwaitingType::offer(const PictureRow& row, bool mayAsk)
{
    if (m_waiting.contains(row.address) || m_pictures.containsAddress(row.address))
        return;
    if (const std::optional<QString> type = m_probe.knownType(row.address)) {
        addIfPicture(row, *type);
        return;
    }
    if (!mayAsk)
        return;
    const QString scheme = QUrl(row.address).scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return;
    m_waiting.insert(row.address, row);
    m_probe.ask(row.address);
}

bool PicturesAwaitingType::isWaiting() const
{
    return !m_waiting.isEmpty();
}

void PicturesAwaitingType::answered(const QString& address, const QString& contentType)
{
    const auto waiting = m_waiting.find(address);
    if (waiting == m_waiting.end())
        return;
    PictureRow row = std::move(*waiting);
    m_waiting.erase(waiting);
    addIfPicture(std::move(row), contentType);
}

void PicturesAwaitingType::addIfPicture(PictureRow row, const QString& contentType)
{
    if (!isPictureMediaType(contentType))
        return;
    row.type = pictureTypeOfMediaType(contentType);
    m_pictures.addRow(row);
}
