#pragma once

#include "platform/http/http_settings.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTemporaryFile>
#include <QTimer>

#include <curl/curl.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

// One libcurl multi handle driven by the Qt event loop: a socket notifier for each socket
// curl watches and one timer for curl's own timeouts. The transfers added to it share its
// connections, kept alive across pages, at most kConnectionsPerHost to a host, HTTP/2
// streams where a server offers them, and the cookies servers set, kept in memory.
class CurlSession : public QObject {
    Q_OBJECT
public:
    static constexpr long kConnectionsPerHost = 6;
    static constexpr long kConnectionsKept = 32; // idle ones, all hosts together
    static constexpr size_t kHandlesKept = 32;     // ended transfers' handles kept: about a search's most at once
    // Called once when a transfer ends, from the event loop and never from inside curl.
    using Done = std::function<void(CURLcode result)>;

    explicit CurlSession(QObject* parent = nullptr);
    ~CurlSession() override;

    // A handle for a new transfer, sharing the session's cookies: one an ended transfer gave
    // back, reset to curl's defaults, or a new one; null when curl cannot make one. A handle
    // keeps its buffers across a reset, so a search does not allocate and clear them again
    // for every request.
    CURL* takeHandle();
    // Takes back a handle, ending its transfer if it is in one: kept for takeHandle(), or
    // cleaned up when enough are kept.
    void giveBack(CURL* easy);

    // Starts the transfer of a handle from takeHandle(); false when curl refused it (done()
    // is then never called).
    bool add(CURL* easy, Done done);
    // Ends a transfer at once; its done() is not called and curl calls none of its
    // callbacks any more. Unknown handles are ignored.
    void remove(CURL* easy);

    // Takes the settings for the transfers started from now on, the cookies of its file put
    // in the session's jar. An error when a file it names cannot be read (nothing changes
    // then); what is worth telling on the way is appended to notes.
    std::optional<QString> configure(const HttpSettings& settings, QStringList& notes);
    const HttpSettings& settings() const { return m_settings; }
    // Puts cookies in the session's jar, each a cookies.txt line (one whose expiry has passed
    // takes its cookie out); lines curl cannot read are passed over.
    void addCookies(const QList<QByteArray>& lines);
    // Gives a transfer the user agent and the certificate checks of the settings.
    void prepare(CURL* easy) const;
    // A site whose certificate was refused: told once per site through notice().
    void certificateRefused(const QUrl& url, const QString& reason);

signals:
    void notice(const QString& line);

private:
    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* session, void* socketData);
    static int onTimer(CURLM* multi, long timeoutMs, void* session);
    void watch(curl_socket_t socket, int what);
    void arm(QSocketNotifier*& notifier, curl_socket_t socket, bool wanted, bool forWriting);
    void act(curl_socket_t socket, int events);
    void collectFinished();

    CURLM* m_multi;
    CURLSH* m_shared;
    QTimer m_timer;
    QHash<curl_socket_t, Watch> m_sockets;
    QHash<CURL*, Done> m_transfers;
    std::vector<CURL*> m_spareHandles;
    HttpSettings m_settings;
    std::unique_ptr<QTemporaryFile> m_trusted; // the system's certificates and the --ca-file ones
    QSet<QString> m_refusedSites;
};
