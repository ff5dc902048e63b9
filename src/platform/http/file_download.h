#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QObject>
#include <QString>

class CurlSession;
class Fetch;
struct FetchResult;

struct DownloadResult {
    bool ok = false;
    QString failure;       // why not, for "下载失败：<failure>"; empty when ok
    bool diskFull = false; // a write failed for lack of space or a file-size limit
    qint64 bytes = 0;
    QByteArray sha256;     // of the bytes written
    QString contentType;
};

// How long a download may take: a large picture on a slow line needs more than a page.
struct DownloadDeadlines {
    static constexpr int kIdleMs = 60'000;
    static constexpr int kTotalMs = 600'000;
    int idleMs = kIdleMs;   // no byte for this long
    int totalMs = kTotalMs; // the whole transfer, redirects included
};

// Streams one picture into temporaryPath (created or truncated; removed on failure) through
// a Fetch with a sink: memory does not grow with the file; more than maxBytes fails. The
// SHA-256 is taken as the bytes arrive. Deleting it aborts the transfer and removes the
// temporary file.
class FileDownload : public QObject {
    Q_OBJECT
public:
    FileDownload(CurlSession* session, const QString& address, const QString& temporaryPath, qint64 maxBytes,
                 QObject* parent = nullptr, const DownloadDeadlines& deadlines = {});
    ~FileDownload() override;

signals:
    void progress(qint64 received); // now and then while the bytes arrive
    void finished(const DownloadResult& result); // once, from the event loop

private:
    bool write(QByteArrayView bytes);
    void transferDone(const FetchResult& result);
    void end(DownloadResult result);

    QFile m_file;
    QCryptographicHash m_hash;
    Fetch* m_fetch = nullptr;
    qint64 m_bytes = 0;
    QString m_writeFailure;
    bool m_diskFull = false;
    bool m_progressQueued = false;
};
