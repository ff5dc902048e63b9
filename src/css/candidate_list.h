#pragma once

#include <QString>
#include <QStringList>

// The picture candidates of one completed page, in the order found: four parallel lists
// of equal length. Nothing is removed or merged; the picture table settles duplicates.
struct CandidateList {
    QStringList addresses;
    QStringList sizes; // bytes as text; only IMG elements give one
    QStringList titles;
    QStringList sources;

    void append(const QString& address, const QString& size, const QString& title,
                const QString& source)
    {
        addresses.append(address);
        sizes.append(size);
        titles.append(title);
        sources.append(source);
    }
    qsizetype size() const { return addresses.size(); }
};
