#include "app/picture_measuring.h"

#include "platform/picture_probe.h"

namespace {

// The download's own words for a picture it has saved ("下载完成", or "下载完成：与 ... 相同" for
// one whose bytes another file holds): its figures were read from the file.
bool isDownloaded(const PictureTable& pictures, int row)
{
    return pictures.cellText(row, PictureTable::DownloadStatus).startsWith(QStringLiteral("下载完成"));
}

// A download that failed found the picture cannot be had: asking again would fail again, and
// a resumed search would ask on every run.
bool downloadWasTried(const PictureTable& pictures, int row)
{
    return isDownloaded(pictures, row)
           || pictures.cellText(row, PictureTable::DownloadStatus).startsWith(QStringLiteral("下载失败"));
}

bool lacksFigures(const PictureTable& pictures, int row)
{
    return pictures.cellText(row, PictureTable::Size).isEmpty() || pictures.cellText(row, PictureTable::Width).isEmpty()
           || pictures.cellText(row, PictureTable::Height).isEmpty();
}

} // namespace

PictureMeasuring::PictureMeasuring(PictureTable& pictures, QObject* parent) : QObject(parent), m_pictures(pictures)
{
    connect(&m_pictures, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { rowsArrived(first, last); });
}

void PictureMeasuring::setProbe(PictureProbe* probe)
{
    if (m_probe)
        m_probe->disconnect(this);
    m_probe = probe;
    if (!m_probe)
        return;
    connect(m_probe, &PictureProbe::measured, this, &PictureMeasuring::measured);
    rowsArrived(0, m_pictures.size() - 1);
}

void PictureMeasuring::setEnabled(bool on)
{
    if (m_enabled == on)
        return;
    m_enabled = on;
    rowsArrived(0, m_pictures.size() - 1);
}

bool PictureMeasuring::isBusy() const
{
    return m_enabled && m_probe && m_probe->isBusy();
}

qint64 PictureMeasuring::probesMade() const
{
    return m_probe ? m_probe->probesMade() : 0;
}

qint64 PictureMeasuring::bytesRead() const
{
    return m_probe ? m_probe->bytesRead() : 0;
}

void PictureMeasuring::rowsArrived(int first, int last)
{
    if (!m_enabled || !m_probe)
        return;
    for (int row = first; row <= last; ++row) {
        if (lacksFigures(m_pictures, row) && !downloadWasTried(m_pictures, row))
            m_probe->measure(m_pictures.cellText(row, PictureTable::Address));
    }
}

void PictureMeasuring::measured(const QString& address, const PictureMeasure& measure)
{
    const std::optional<int> row = m_pictures.rowOfAddress(address);
    if (row && m_enabled && !isDownloaded(m_pictures, *row)) {
        PictureFigures figures{measure.byteSize, measure.width, measure.height};
        // Both or neither: half a dimension tells nothing.
        if (figures.width.value_or(0) < 1 || figures.height.value_or(0) < 1)
            figures.width = figures.height = std::nullopt;
        m_pictures.setFigures(*row, figures);
    }
    emit rowMeasured();
}
