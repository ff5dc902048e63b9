#include "platform/http/curl_session.h"

#include "platform/http/cookies_file.h"

#include <QDateTime>
#include <QFile>
#include <QSocketNotifier>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace {

void initCurlOnce()
{
    // Not thread-safe in older libcurl, so once, before the first handle of the program.
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    Q_UNUSED(init);
}

void retire(QSocketNotifier* notifier)
{
    if (!notifier)
        return;
    // It may be the notifier whose signal is being delivered right now.
    notifier->setEnabled(false);
    notifier->deleteLater();
}

} // namespace

CurlSession::CurlSession(QObject* parent) : QObject(parent)
{
    initCurlOnce();
    m_multi = curl_multi_init();
    m_shared = curl_share_init();
    curl_share_setopt(m_shared, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlSession::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlSession::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_MAX_HOST_CONNECTIONS, kConnectionsPerHost);
    // Curl's own bound shrinks with the transfers under way, closing kept connections
    // between pages.
    curl_multi_setopt(m_multi, CURLMOPT_MAXCONNECTS, kConnectionsKept);
    curl_multi_setopt(m_multi, CURLMOPT_PIPELINING, long(CURLPIPE_MULTIPLEX));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlSession::~CurlSession()
{
    // Handles may outlive the session; they let go of it here.
    for (auto transfer = m_transfers.cbegin(); transfer != m_transfers.cend(); ++transfer) {
        curl_multi_remove_handle(m_multi, transfer.key());
        curl_easy_setopt(transfer.key(), CURLOPT_SHARE, nullptr);
    }
    m_transfers.clear();
    for (CURL* spare : m_spareHandles)
        curl_easy_cleanup(spare);
    curl_multi_cleanup(m_multi); // the notifiers go with this object's children
    curl_share_cleanup(m_shared);
}

CURL* CurlSession::takeHandle()
{
    if (m_spareHandles.empty()) {
        CURL* easy = curl_easy_init();
        if (easy) {
            // Once per handle: a reset keeps the share and the cookie engine, and curl keeps
            // every cookie file it was given, to read them all again at each transfer.
            curl_easy_setopt(easy, CURLOPT_SHARE, m_shared);
            curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""); // cookies on, none read from a file
        }
        return easy;
    }
    CURL* easy = m_spareHandles.back();
    m_spareHandles.pop_back();
    curl_easy_reset(easy);
    return easy;
}

void CurlSession::giveBack(CURL* easy)
{
    if (!easy)
        return;
    remove(easy);
    if (m_spareHandles.size() >= kHandlesKept) {
        curl_easy_cleanup(easy);
        return;
    }
    m_spareHandles.push_back(easy);
}

bool CurlSession::add(CURL* easy, Done done)
{
    if (curl_multi_add_handle(m_multi, easy) != CURLM_OK)
        return false;
    m_transfers.insert(easy, std::move(done));
    return true;
}

std::optional<QString> CurlSession::configure(const HttpSettings& settings, QStringList& notes)
{
    std::unique_ptr<QTemporaryFile> trusted;
    if (!settings.caFile.isEmpty()) {
        QFile added(settings.caFile);
        if (!added.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read %1: %2").arg(settings.caFile, added.errorString());
        // A CA file of its own replaces curl's store, so the system's certificates go first.
        QByteArray bundle;
        CURL* probe = curl_easy_init();
        const char* systemStore = nullptr;
        if (probe && curl_easy_getinfo(probe, CURLINFO_CAINFO, &systemStore) == CURLE_OK && systemStore) {
            QFile system(QString::fromLocal8Bit(systemStore));
            if (system.open(QIODevice::ReadOnly))
                bundle = system.readAll() + '\n';
        }
        curl_easy_cleanup(probe);
        bundle += added.readAll();
        trusted = std::make_unique<QTemporaryFile>();
        if (!trusted->open() || trusted->write(bundle) != bundle.size() || !trusted->flush())
            return QStringLiteral("cannot write the certificate bundle: %1").arg(trusted->errorString());
    }
    CookiesFile cookies;
    if (!settings.cookiesFile.isEmpty()) {
        QFile file(settings.cookiesFile);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read %1: %2").arg(settings.cookiesFile, file.errorString());
        cookies = readCookiesText(file.readAll(), QDateTime::currentSecsSinceEpoch());
        if (cookies.expired > 0 || cookies.malformed > 0)
            notes.append(QStringLiteral("%1: %2 cookies read, %3 expired and %4 malformed lines skipped")
                             .arg(settings.cookiesFile).arg(cookies.cookies.size()).arg(cookies.expired).arg(cookies.malformed));
    }
    // Into the shared jar, where the cookies servers set during the search join them.
    addCookies(cookies.cookies);
    if (settings.insecure)
        notes.append(QStringLiteral("--insecure: no certificate is checked, any server may pose as any site"));
    m_settings = settings;
    m_trusted = std::move(trusted);
    return std::nullopt;
}

void CurlSession::addCookies(const QList<QByteArray>& lines)
{
    CURL* loader = curl_easy_init();
    if (!loader)
        return;
    curl_easy_setopt(loader, CURLOPT_SHARE, m_shared);
    for (const QByteArray& line : lines)
        curl_easy_setopt(loader, CURLOPT_COOKIELIST, line.constData());
    curl_easy_cleanup(loader);
}

void CurlSession::prepare(CURL* easy) const
{
    curl_easy_setopt(easy, CURLOPT_USERAGENT, m_settings.userAgent.constData());
    if (m_trusted)
        curl_easy_setopt(easy, CURLOPT_CAINFO, QFile::encodeName(m_trusted->fileName()).constData());
    if (m_settings.insecure) {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    }
}

void CurlSession::certificateRefused(const QUrl& url, const QString& reason)
{
    const QString site = url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                             .toString();
    if (m_refusedSites.contains(site))
        return;
    m_refusedSites.insert(site);
    emit notice(QStringLiteral("%1: certificate not trusted: %2").arg(site, reason));
}

void CurlSession::remove(CURL* easy)
{
    if (m_transfers.remove(easy) > 0)
        curl_multi_remove_handle(m_multi, easy);
}

int CurlSession::onSocket(CURL*, curl_socket_t socket, int what, void* session, void*)
{
    static_cast<CurlSession*>(session)->watch(socket, what);
    return 0;
}

int CurlSession::onTimer(CURLM*, long timeoutMs, void* session)
{
    // Only the timer is set here: curl must not be called back from inside its callback.
    QTimer& timer = static_cast<CurlSession*>(session)->m_timer;
    if (timeoutMs < 0)
        timer.stop();
    else
        timer.start(int(std::min<long>(timeoutMs, std::numeric_limits<int>::max())));
    return 0;
}

void CurlSession::watch(curl_socket_t socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        const Watch watch = m_sockets.take(socket);
        retire(watch.read);
        retire(watch.write);
        return;
    }
    Watch& watch = m_sockets[socket];
    arm(watch.read, socket, what & CURL_POLL_IN, false);
    arm(watch.write, socket, what & CURL_POLL_OUT, true);
}

void CurlSession::arm(QSocketNotifier*& notifier, curl_socket_t socket, bool wanted, bool forWriting)
{
    if (notifier) {
        notifier->setEnabled(wanted);
        return;
    }
    if (!wanted)
        return;
    notifier = new QSocketNotifier(qintptr(socket), forWriting ? QSocketNotifier::Write : QSocketNotifier::Read, this);
    const int events = forWriting ? CURL_CSELECT_OUT : CURL_CSELECT_IN;
    connect(notifier, &QSocketNotifier::activated, this, [this, socket, events] { act(socket, events); });
}

void CurlSession::act(curl_socket_t socket, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi, socket, events, &running);
    collectFinished();
}

void CurlSession::collectFinished()
{
    int left = 0;
    // One message at a time: a done() may remove or add transfers, and removing a handle
    // also drops its pending message.
    while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        const auto transfer = m_transfers.find(easy);
        if (transfer == m_transfers.end())
            continue;
        const Done done = std::move(*transfer);
        m_transfers.erase(transfer);
        curl_multi_remove_handle(m_multi, easy);
        done(result);
    }
}
