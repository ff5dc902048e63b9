#pragma once

#include <QObject>
#include <QString>

#include <optional>

// What a probe learned of one picture; a figure it could not have stays empty, never 0.
struct PictureMeasure {
    std::optional<qint64> byteSize; // the whole picture's size
    std::optional<int> width, height;
    QString contentType;
};

// Measures pictures the engine has not loaded: their size and dimensions, read from as few
// of their bytes as tell them. One per program.
class PictureProbe : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PictureProbe() override = default;

    // Measures the address once per run (a second call for it does nothing); the answer
    // comes later, from the event loop, as measured() — also when nothing could be had.
    virtual void measure(const QString& address) = 0;
    // True while measures are queued or under way.
    virtual bool isBusy() const = 0;
    virtual qint64 probesMade() const = 0; // transfers started
    virtual qint64 bytesRead() const = 0;  // body bytes they read

signals:
    void measured(const QString& address, const PictureMeasure& measure);
};
