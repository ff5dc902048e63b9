#pragma once

#include "lists/picture_table.h"

#include <QHash>
#include <QObject>
#include <QString>

class TypeProbe;

// Pictures whose address shows no picture type: a row is made when the server says the
// address holds a picture (image/*), at once when that is known already (the engine loaded
// it), else, for an address without any type, when the probe's answer arrives. An address
// of another type (a page, a script) is never asked about. The first candidate of an
// address decides its row.
class PicturesAwaitingType : public QObject {
    Q_OBJECT
public:
    PicturesAwaitingType(TypeProbe& probe, PictureTable& pictures, QObject* parent = nullptr);

    // row: everything but the type. mayAsk: the address has no type at all. Only http and
    // https addresses are asked about.
    void offer(const PictureRow& row, bool mayAsk);
    // True while an answer is outstanding.
    bool isWaiting() const;

private:
    void answered(const QString& address, const QString& contentType);
    void addIfPicture(PictureRow row, const QString& contentType);

    TypeProbe& m_probe;
    PictureTable& m_pictures;
    QHash<QString, PictureRow> m_waiting; // by address as found
};
