#include "platform/http/fetch.h"

#include "platform/http/curl_session.h"
#include "platform/http/retry_after.h"
#include "platform/http/web_address.h"

#include <QDateTime>

#include <algorithm>
#include <optional>

namespace {

bool asksToComeBack(int status)
{
    return status == 429 || status == 503;
}

bool isCertificateFailure(CURLcode code)
{
    return code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE || code == CURLE_SSL_ISSUER_ERROR
        || code == CURLE_SSL_PINNEDPUBKEYNOTMATCH;
}

// The value of a "Name: value" header line when its name is this one.
std::optional<QByteArrayView> headerValue(QByteArrayView line, QByteArrayView name)
{
    if (line.size() <= name.size() || line.at(name.size()) != ':'
        || line.first(name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return line.sliced(name.size() + 1).trimmed();
}

// The whole length in "bytes first-last/length"; none for "*" or what does not parse.
std::optional<qint64> rangeTotal(QByteArrayView value)
{
    const qsizetype slash = value.lastIndexOf('/');
    if (!value.startsWith("bytes ") || slash < 0)
        return std::nullopt;
    bool ok = false;
    const qint64 total = value.sliced(slash + 1).trimmed().toLongLong(&ok);
    if (!ok || total < 0)
        return std::nullopt;
    return total;
}

QString byteCount(qint64 bytes)
{
    constexpr qint64 kMiB = 1024 * 1024;
    return bytes % kMiB == 0 ? QStringLiteral("%1 MB").arg(bytes / kMiB) : QStringLiteral("%1 bytes").arg(bytes);
}

bool asksForRange(const QList<QByteArray>& headers)
{
    return std::any_of(headers.cbegin(), headers.cend(), [](const QByteArray& header) {
        return header.size() >= 6 && QByteArrayView(header).first(6).compare("Range:", Qt::CaseInsensitive) == 0;
    });
}

} // namespace

std::optional<int> busyRetryWaitMs(const FetchResult& result, int retries, int maxRetries, int longestWaitMs)
{
    constexpr double kFirstWaitMs = 1'000;
    if (!result.retryAfter || retries >= maxRetries)
        return std::nullopt;
    const double waitMs = *result.retryAfter > 0 ? *result.retryAfter * 1000 : kFirstWaitMs * (1 << std::min(retries, 16));
    if (waitMs > longestWaitMs)
        return std::nullopt;
    return int(waitMs);
}

Fetch::Fetch(CurlSession* session, const QUrl& url, QObject* parent, const FetchLimits& limits, Method method,
             const FetchExtras& extras)
    : QObject(parent), m_session(session), m_limits(limits), m_method(method), m_sink(extras.sink),
      m_headIsEnough(extras.headIsEnough), m_finalUrl(url),
      m_keeping(!m_sink)
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &Fetch::checkIdle);
    m_idle.start(m_limits.idleTimeoutMs);
    m_sinceActivity.start();

    m_easy = isWebAddress(url) && m_session ? m_session->takeHandle() : nullptr;
    if (m_easy) {
        curl_easy_setopt(m_easy, CURLOPT_URL, url.toEncoded(QUrl::FullyEncoded).constData());
        curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, long(kMaxRedirects));
        curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        // Straight to the server: a proxy from the environment must not redirect the program.
        curl_easy_setopt(m_easy, CURLOPT_PROXY, "");
        curl_easy_setopt(m_easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_2TLS));
        // A second request to a host over TLS waits to share the first one's connection when
        // that turns out to speak HTTP/2, rather than opening its own; plain HTTP never does.
        if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
            curl_easy_setopt(m_easy, CURLOPT_PIPEWAIT, 1L);
        curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_curlError);
        m_session->prepare(m_easy);
        // Every encoding curl can unpack, except for a range: its offsets count the bytes as
        // stored, which an encoded answer would not.
        if (!asksForRange(extras.headers))
            curl_easy_setopt(m_easy, CURLOPT_ACCEPT_ENCODING, "");
        for (const QByteArray& header : extras.headers + m_session->settings().headers)
            m_requestHeaders = curl_slist_append(m_requestHeaders, header.constData());
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_requestHeaders);
        curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_easy, CURLOPT_TIMEOUT_MS, long(m_limits.totalTimeoutMs));
        curl_easy_setopt(m_easy, CURLOPT_NOBODY, long(m_method == Method::Head));
        curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &Fetch::onHeader);
        curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &Fetch::onBody);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
        if (!m_session->add(m_easy, [this](CURLcode code) { complete(code); }))
            dropHandle();
    }
    if (!m_easy) {
        QMetaObject::invokeMethod(this, [this] { complete(CURLE_FAILED_INIT); }, Qt::QueuedConnection);
    }
}

Fetch::~Fetch()
{
    dropHandle();
    curl_slist_free_all(m_requestHeaders);
}

void Fetch::dropHandle()
{
    if (!m_easy)
        return;
    if (m_session)
        m_session->giveBack(m_easy);
    else
        curl_easy_cleanup(m_easy); // the session has gone, and let go of it
    m_easy = nullptr;
}

size_t Fetch::onHeader(char* data, size_t size, size_t count, void* fetch)
{
    const size_t bytes = size * count;
    return static_cast<Fetch*>(fetch)->headerLine(QByteArrayView(data, qsizetype(bytes))) ? bytes : 0;
}

size_t Fetch::onBody(char* data, size_t size, size_t count, void* fetch)
{
    const size_t bytes = size * count;
    return static_cast<Fetch*>(fetch)->bodyBytes(data, qsizetype(bytes)) ? bytes : 0;
}

bool Fetch::headerLine(QByteArrayView line)
{
    m_sinceActivity.restart();
    if (m_final)
        return true; // trailers of a chunked body
    if (line.startsWith("HTTP/")) {
        // A new response: an interim one, a redirect, or the final one.
        const QByteArrayView rest = line.sliced(line.indexOf(' ') + 1).trimmed();
        m_status = rest.first(std::min<qsizetype>(3, rest.size())).toInt();
        m_contentType.clear();
        m_contentLength = -1;
        m_rangeTotal.reset();
        m_encoded = false;
        m_redirect = false;
        m_retryAfter = asksToComeBack(m_status) ? std::optional<double>(0) : std::nullopt;
        // The address this response answers: once curl gives up on a redirect, its
        // effective address is the target it refused.
        const char* answered = nullptr;
        if (curl_easy_getinfo(m_easy, CURLINFO_EFFECTIVE_URL, &answered) == CURLE_OK && answered)
            m_finalUrl = QUrl::fromEncoded(QByteArray(answered));
        return true;
    }
    if (const auto type = headerValue(line, "Content-Type"))
        m_contentType = type->toByteArray();
    else if (const auto length = headerValue(line, "Content-Length"))
        m_contentLength = length->toLongLong();
    else if (const auto location = headerValue(line, "Location"))
        m_redirect = !location->isEmpty();
    else if (const auto range = headerValue(line, "Content-Range"))
        m_rangeTotal = rangeTotal(*range);
    else if (const auto encoding = headerValue(line, "Content-Encoding"))
        m_encoded = !encoding->isEmpty() && encoding->compare("identity", Qt::CaseInsensitive) != 0;
    else if (const auto retry = headerValue(line, "Retry-After"); retry && m_retryAfter)
        m_retryAfter = retryAfterSeconds(*retry, QDateTime::currentDateTimeUtc()).value_or(0);
    if (!line.trimmed().isEmpty())
        return true;

    // The end of a response's headers. Curl goes on by itself after an interim response
    // and follows a redirect.
    if (m_status < 200 || (m_status >= 300 && m_status < 400 && m_redirect))
        return true;
    m_final = true;
    // Not from inside curl: the receiver may delete this fetch.
    QMetaObject::invokeMethod(this, &Fetch::announce, Qt::QueuedConnection);
    if (m_method == Method::Get && m_contentLength > m_limits.bodyLimit) {
        m_stop = Stop::BodyLimit; // no use reading what will be cut
        return false;
    }
    if (m_sink && m_status >= 400)
        return false; // an error page is nothing a sink wants; the status fails the fetch
    // A body that says its length is read into one buffer, not copied as it grows; a length
    // that lies costs at most kReservedBodyBytes.
    if (m_keeping && m_contentLength > 0 && m_limits.keepLimit > 0)
        m_body.reserve(std::min({m_contentLength, m_limits.keepLimit, kReservedBodyBytes}));
    // Likewise the head, as far as curl's first piece of the body: most heads end there.
    if (m_contentLength > 0 && m_limits.headBytes > 0)
        m_head.reserve(std::min({m_contentLength, m_limits.headBytes, qint64(CURL_MAX_WRITE_SIZE)}));
    return true;
}

bool Fetch::bodyBytes(const char* data, qsizetype size)
{
    m_sinceActivity.restart();
    if (m_received + size > m_limits.bodyLimit) {
        m_stop = Stop::BodyLimit;
        return false;
    }
    m_received += size;
    if (!m_headDone && m_head.size() < m_limits.headBytes) {
        m_head.append(data, std::min<qsizetype>(size, m_limits.headBytes - m_head.size()));
        m_headDone = m_headIsEnough && m_headIsEnough(m_head);
    }
    if (m_sink) {
        switch (m_sink(QByteArrayView(data, size))) {
        case SinkVerdict::More:
            return true;
        case SinkVerdict::Enough:
            m_enough = true;
            return false;
        case SinkVerdict::Refuse:
            m_stop = Stop::Sink;
            return false;
        }
    }
    if (m_keeping && m_received > m_limits.keepLimit) {
        m_keeping = false; // counted from here on, not kept
        m_body = QByteArray();
    }
    if (m_keeping)
        m_body.append(data, size);
    return true;
}

void Fetch::announce()
{
    if (m_announced)
        return;
    m_announced = true;
    emit responseArrived(m_finalUrl);
}

void Fetch::checkIdle()
{
    const qint64 quiet = m_sinceActivity.elapsed();
    if (quiet < m_limits.idleTimeoutMs) {
        m_idle.start(int(m_limits.idleTimeoutMs - quiet));
        return;
    }
    stop();
}

void Fetch::stop()
{
    if (!m_easy)
        return;
    m_stop = Stop::Idle;
    dropHandle();
    complete(CURLE_OPERATION_TIMEDOUT);
}

void Fetch::finishNow()
{
    if (!m_easy)
        return;
    m_endedEarly = true;
    dropHandle();
    complete(CURLE_OK);
}

QString Fetch::failure(CURLcode code) const
{
    switch (m_stop) {
    case Stop::BodyLimit:
        return QStringLiteral("larger than %1").arg(byteCount(m_limits.bodyLimit));
    case Stop::Idle:
        return QStringLiteral("nothing received for %1 s").arg(m_limits.idleTimeoutMs / 1000.0);
    case Stop::Sink:
        return QStringLiteral("refused by its reader");
    case Stop::None:
        break;
    }
    if (m_status >= 400)
        return QStringLiteral("HTTP %1").arg(m_status);
    if (code != CURLE_OK && m_curlError[0] != '\0')
        return QString::fromUtf8(m_curlError);
    if (code != CURLE_OK)
        return QString::fromUtf8(curl_easy_strerror(code));
    if (m_endedEarly)
        return QStringLiteral("out of time before its response");
    return QStringLiteral("no response");
}

void Fetch::complete(CURLcode code)
{
    m_idle.stop();
    dropHandle(); // finished inside curl: the session let go of its transfer already

    FetchResult result;
    result.url = m_finalUrl;
    // A redirect that could not be followed is a response too, though a failed one.
    result.responded = m_status >= 200;
    result.status = m_status;
    result.contentType = m_contentType;
    const bool transferred = code == CURLE_OK || (m_enough && code == CURLE_WRITE_ERROR);
    result.failed = !transferred || m_stop != Stop::None || !result.responded || result.status >= 400
                    || (m_endedEarly && !m_final);
    result.endedEarly = m_endedEarly;
    if (result.failed)
        result.error = failure(code);
    if (result.failed && isCertificateFailure(code) && m_session)
        m_session->certificateRefused(m_finalUrl, result.error);
    result.retryAfter = m_retryAfter;
    result.byteSize = m_received;
    result.kept = m_keeping;
    if (m_status == 206)
        result.totalSize = m_rangeTotal;
    else if (m_status == 200 && m_contentLength >= 0 && !m_encoded)
        result.totalSize = m_contentLength;
    m_head.squeeze();
    result.head = std::move(m_head);
    m_body.squeeze(); // kept in the URL cache: without the room the growing body left
    result.body = std::move(m_body);
    if (result.responded)
        announce();
    emit finished(result);
}
