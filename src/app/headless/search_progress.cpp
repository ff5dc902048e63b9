#include "app/headless/search_progress.h"

#include "app/search_session.h"

#include <QFile>
#include <QTextStream>

#include <unistd.h>

namespace {

constexpr qint64 redrawMs = 200;

} // namespace

QString progressLine(int pagesDone, int pagesKnown, int pictures, double seconds)
{
    const double rate = seconds > 0 ? pagesDone / seconds : 0.0;
    return QStringLiteral("pages %1 of %2 done, %3 pictures, %4 pages/s")
        .arg(pagesDone).arg(pagesKnown).arg(pictures).arg(rate, 0, 'f', 1);
}

bool writesToTerminal(const QTextStream& stream)
{
    const auto* file = qobject_cast<const QFile*>(stream.device());
    return file && file->handle() >= 0 && isatty(file->handle());
}

SearchProgress::SearchProgress(SearchSession& session, QTextStream& err)
    : m_session(session), m_err(err), m_terminal(writesToTerminal(err))
{
    m_sinceStart.start();
    if (m_terminal) {
        // Panel texts are not shown on a terminal, but a site without rules is worth a line.
        connect(&session.siteRules(), &SiteRules::notice, this,
                [this](const QString& text) { m_err << "\r\x1b[K" << text << '\n'; });
    }
    if (!m_terminal) {
        m_flush.setSingleShot(true);
        m_flush.setInterval(int(redrawMs));
        connect(&m_flush, &QTimer::timeout, this, [this] { m_err.flush(); });
        connect(&session, &SearchSession::statusPanelChanged, this, [this](int, const QString& text) {
            m_err << text << '\n';
            if (!m_flush.isActive())
                m_flush.start();
        });
        return;
    }
    connect(&session, &SearchSession::timerWorkDone, this, [this] {
        if (m_shownAt < 0 || m_sinceStart.elapsed() - m_shownAt >= redrawMs)
            show();
    });
}

void SearchProgress::finish()
{
    if (m_terminal) {
        show();
        m_err << '\n';
    }
    m_flush.stop();
    if (const int left = m_session.siteRules().disallowedCount())
        m_err << QStringLiteral("%1 links left out as robots.txt asks").arg(left) << '\n';
    m_err.flush();
}

void SearchProgress::show()
{
    const PageTable& pages = m_session.pageTable();
    const int done = pages.size() - pages.waitingCount() - pages.downloadingCount();
    m_shownAt = m_sinceStart.elapsed();
    // Back to the line's start, the line, then clear what a longer line left behind.
    m_err << '\r' << progressLine(done, pages.size(), m_session.pictureTable().size(), m_shownAt / 1000.0)
          << "\x1b[K";
    m_err.flush();
}
