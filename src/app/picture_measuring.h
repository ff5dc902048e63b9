#pragma once

#include "lists/picture_table.h"

#include <QObject>
#include <QPointer>
#include <QString>

class PictureProbe;
struct PictureMeasure;

// Fills the size, width and height of the picture rows that arrive without them, through
// the engine's picture probe: every row as it enters the table, and the rows already there
// when the probe is set (a search resumed from its store). A row is updated in place when
// its figures come; what cannot be had stays empty. A row whose download has finished keeps
// the download's figures.
class PictureMeasuring : public QObject {
    Q_OBJECT
public:
    explicit PictureMeasuring(PictureTable& pictures, QObject* parent = nullptr);

    // The probe (not owned); none: nothing is measured.
    void setProbe(PictureProbe* probe);
    // Off: rows are left as they come. On again: the rows that lack figures are measured.
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    // True while the probe measures for the rows.
    bool isBusy() const;
    // What the probe has cost so far.
    qint64 probesMade() const;
    qint64 bytesRead() const;

signals:
    // The probe's answer has been put in its row (or had no row).
    void rowMeasured();

private:
    void rowsArrived(int first, int last);
    void measured(const QString& address, const PictureMeasure& measure);

    PictureTable& m_pictures;
    QPointer<PictureProbe> m_probe;
    bool m_enabled = true;
};
