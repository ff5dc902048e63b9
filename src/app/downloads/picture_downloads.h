#pragma once

#include "platform/http/file_download.h"

#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CurlSession;
class PictureTable;
class UrlCache;

// Saves pictures of the picture table into a folder, for the window's "下载全部" and the
// headless runner's --download alike. A few at a time through the curl session (its per-host
// limit holds), each file within a byte cap and an idle and a total deadline. A picture the
// URL cache holds is copied from there. Each row shows its progress in "下载状态" and the
// saved picture's dimensions in "宽度" and "高度". Rows are found by address, since sorting
// moves them.
//
// On disk: a file is written under a hidden temporary name in the folder and renamed when
// whole, so a killed program leaves no half picture under a picture's name (and the next run
// removes what it left). A file is never overwritten: the name taken is the first free one.
// Identical content is kept once per folder: a picture whose bytes some file there already
// holds is not written again, and its status names that file.
class PictureDownloads : public QObject {
    Q_OBJECT
public:
    static constexpr int kParallel = 4;
    static constexpr qint64 kDefaultMaxFileBytes = qint64(256) << 20;
    // The temporary files: ".quorvane-XXXXXX.part".
    static QString partPrefix();
    static QString partSuffix();

    static QString waitingText();                        // "等待下载"
    static QString loadingText();                        // "正在下载"
    static QString doneText();                           // "下载完成"
    static QString sameAsText(const QString& fileName);  // "下载完成：与 <file> 相同"
    static QString failedText(const QString& reason);    // "下载失败：<reason>"
    // True for "下载完成" and a duplicate's "下载完成：..." alike: nothing to fetch again.
    static bool isDone(const QString& status);

    // curl: the session to fetch through (usually the engine's); without one the downloads
    // make their own. cache may be null.
    PictureDownloads(PictureTable& table, CurlSession* curl, const UrlCache* cache,
                     QObject* parent = nullptr);
    ~PictureDownloads() override;

    // For the downloads started from now on.
    void setBounds(qint64 maxFileBytes, const DownloadDeadlines& deadlines = {});

    // Queues every row that is neither done nor queued already and that wanted accepts (all
    // when it is empty); its picture goes into folder, made when missing.
    void downloadAll(const QString& folder, const std::function<bool(int row)>& wanted = {});
    // Cancels what waits and what loads: their rows lose their status again, and the files
    // begun are removed.
    void stop();
    bool isBusy() const { return !m_waiting.empty() || !m_loading.empty(); }

    struct Tally {
        int saved = 0;     // files written
        int same = 0;      // pictures an earlier file already held
        int failed = 0;
        qint64 bytes = 0;  // written and being written
    };
    Tally tally() const;
    // Why the downloads ended early: a full disk or a folder that cannot be written; empty
    // while nothing of the kind happened.
    QString fatalFailure() const { return m_fatal; }

signals:
    void progressed(); // a picture ended, or bytes arrived
    void finished();   // the last queued picture is done, failed or cancelled

private:
    struct Job {
        QString address;
        QString folder;
    };
    struct Loading;
    // What is known of a folder's files: the digests of those read so far, and the others
    // by size, read only when a new picture of their size comes.
    struct Folder {
        QDir dir;
        QHash<QByteArray, QString> byDigest;
        QMultiHash<qint64, QString> unread;
        QString failure; // the folder cannot be used
    };

    Folder& prepare(const QString& folder);
    void schedulePump();
    void pump();
    void reportIdle();
    void start(const Job& job);
    void copyFromCache(const Job& job, const QString& partPath);
    void fetch(const Job& job, const QString& partPath);
    void fetched(quint64 id, const DownloadResult& result);
    void keep(const Job& job, const QString& partPath, const QByteArray& digest,
              const QString& contentType);
    std::optional<QString> sameContent(Folder& folder, const QString& partPath, const QByteArray& digest);
    void fail(const QString& address, const QString& reason);
    void endAll(const QString& message); // a full disk or an unwritable folder
    void setStatus(const QString& address, const QString& text);

    PictureTable& m_table;
    CurlSession* m_curl;
    std::unique_ptr<CurlSession> m_ownCurl;
    const UrlCache* m_cache;
    qint64 m_maxFileBytes = kDefaultMaxFileBytes;
    DownloadDeadlines m_deadlines;
    std::deque<Job> m_waiting;
    QSet<QString> m_queued; // addresses waiting or loading
    std::map<quint64, std::unique_ptr<Loading>> m_loading;
    quint64 m_nextId = 0;
    // Transfers that have ended, deleted outside their own signals and before m_ownCurl.
    std::vector<std::unique_ptr<FileDownload>> m_retired;
    std::map<QString, Folder> m_folders;
    Tally m_tally;
    QString m_fatal;
    bool m_pumpScheduled = false;
    bool m_active = false; // finished() is still owed
};
