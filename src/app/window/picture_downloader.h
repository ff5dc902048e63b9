#pragma once

#include <QDir>
#include <QSet>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>

class PictureTable;
class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class UrlCache;

// "下载全部" and "停止下载": saves the pictures of the picture table into a folder, a few at a
// time, and shows each row's progress in its "下载状态" cell and the saved picture's size in
// "宽度" and "高度". A picture the browsers have already loaded is copied from the URL
// cache. Rows are found by address, since sorting moves them.
class PictureDownloader : public QObject {
    Q_OBJECT
public:
    static constexpr int parallelDownloads = 4;
    // Beyond this a download is given up: no picture is this large, and a server that sends
    // without end must not fill the disk.
    static constexpr qint64 maxPictureBytes = qint64(512) << 20;
    static constexpr int stallTimeoutMs = 60000;

    static QString waitingText();     // "等待下载"
    static QString loadingText();     // "正在下载"
    static QString doneText();        // "下载完成"
    static QString failedText(const QString& reason); // "下载失败：<reason>"

    PictureDownloader(PictureTable& table, QNetworkAccessManager& network, const UrlCache* cache,
                      QObject* parent = nullptr);
    ~PictureDownloader() override;

    // Queues every row that is neither downloaded nor queued already; its picture goes into
    // folder.
    void downloadAll(const QString& folder);
    // Cancels what waits and what loads: their rows lose their status again, and the files
    // begun are removed.
    void stop();
    bool isBusy() const { return !m_waiting.empty() || !m_loading.empty(); }

signals:
    void finished(); // the last queued picture is done, failed or cancelled

private:
    struct Job {
        QString address;
        QString folder;
    };
    struct Loading {
        QString address;
        std::unique_ptr<QFile> file;
        QString failure; // set when the download was given up while receiving
    };

    void schedulePump();
    void reportIdle();
    void pump();
    void start(const Job& job);
    bool copyFromCache(const QString& address, QFile& target, QString& failure);
    void receive(QNetworkReply* reply);
    void finish(QNetworkReply* reply);
    void succeed(const QString& address, QFile& file);
    void fail(const QString& address, QFile* file, const QString& reason);
    void setStatus(const QString& address, const QString& text);
    // A new file in folder named after the row's file-name column, never an existing one.
    std::unique_ptr<QFile> createTarget(const QString& folder, const QString& address,
                                        QString& failure) const;

    PictureTable& m_table;
    QNetworkAccessManager& m_network;
    const UrlCache* m_cache;
    std::deque<Job> m_waiting;
    QSet<QString> m_queued; // addresses waiting or loading
    std::unordered_map<QNetworkReply*, Loading> m_loading;
    bool m_pumpScheduled = false;
    bool m_active = false; // finished() is still owed

};
