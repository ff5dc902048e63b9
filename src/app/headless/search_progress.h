#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QTextStream;
class SearchSession;

// The progress line: pages done (loaded or failed) of the pages known, pictures found, and
// the rate in pages a second since the start.
QString progressLine(int pagesDone, int pagesKnown, int pictures, double seconds);

// True when the stream writes to a terminal.
bool writesToTerminal(const QTextStream& stream);

// What the headless runner tells while it searches. On a terminal: the progress line,
// rewritten in place a few times a second. Elsewhere (a log, a pipe): one line per change of
// a status panel, so every completed page shows; the lines go out together a few times a
// second rather than one write each.
class SearchProgress : public QObject {
    Q_OBJECT
public:
    SearchProgress(SearchSession& session, QTextStream& err);
    // Shows the last state and ends the line.
    void finish();

private:
    void show();

    SearchSession& m_session;
    QTextStream& m_err;
    bool m_terminal;
    QElapsedTimer m_sinceStart;
    qint64 m_shownAt = -1;
    QTimer m_flush; // a log line waits at most this long to be written
};
