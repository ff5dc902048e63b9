#include "platform/net/net_browser.h"

#include "base/deliver_later.h"
#include "platform/html/parsed_page.h"
#include "platform/http/resource_loader.h"
#include "platform/http/web_address.h"
#include "platform/net/page_load.h"

#include "platform/http/curl_session.h"

NetBrowser::NetBrowser(CurlSession* network, ResourceLoader* resources,
                       const UrlCache* cache, WorkerThreads* workers, QObject* parent,
                       int pictureGraceMs)
    : Browser(parent), m_network(network), m_resources(resources), m_cache(cache),
      m_workers(workers), m_pictureGraceMs(pictureGraceMs)
{
}

void NetBrowser::later(std::function<void()> event)
{
    deliverLater(this, &m_navigation, std::move(event));
}

void NetBrowser::navigate(const QString& address)
{
    ++m_navigation;
    const bool loading = m_load;
    // Every request of the earlier load ends now. Safe here: the load's signals reach this
    // browser only through later(), so no call of the load is on the stack.
    delete m_load.data();
    m_location = address;
    m_document.reset();
    m_failed = false;
    m_retryAfter.reset();

    if (isAboutBlank(address)) {
        later([this, loading] {
            const quint64 navigation = m_navigation;
            const QString blank = QStringLiteral("about:blank");
            m_document = blankDocument(blank);
            if (loading) // the page cut off says no more that it is opening
                emit statusTextChange(QStringLiteral("完成"));
            emit navigateComplete2(blank);
            if (navigation == m_navigation) // unless the handler has navigated elsewhere
                emit documentComplete(blank);
        });
        return;
    }

    later([this, address] { emit statusTextChange(QStringLiteral("正在打开 %1...").arg(address)); });
    m_load = new PageLoad(m_network, m_resources, m_cache, m_workers, this, m_pictureGraceMs);
    connect(m_load, &PageLoad::responseArrived, this, [this](const QString& finalAddress) {
        later([this, finalAddress] {
            m_location = finalAddress;
            emit navigateComplete2(finalAddress);
        });
    });
    connect(m_load, &PageLoad::progress, this, [this](int done, int known) {
        later([this, done, known] { emit progressChange(done, known); });
    });
    connect(m_load, &PageLoad::finished, this,
            [this, load = m_load.data()](const DocumentPtr& document, bool failed, const QString& finalAddress) {
                load->deleteLater();
                later([this, document, failed, finalAddress, retryAfter = load->retryAfter()] {
                    const quint64 navigation = m_navigation;
                    m_load = nullptr;
                    m_document = document;
                    m_failed = failed;
                    m_retryAfter = retryAfter;
                    emit statusTextChange(QStringLiteral("完成"));
                    if (navigation == m_navigation) // unless the handler has navigated elsewhere
                        emit documentComplete(finalAddress);
                });
            });
    m_load->start(addressToFetch(address));
}

void NetBrowser::finishNow()
{
    // Its finished signal completes the navigation as any other end of the page does.
    if (m_load)
        m_load->finishNow();
}
