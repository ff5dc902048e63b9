#pragma once

// A headless run on the test site's present-day pages, and the check that its rows carry
// their pictures' figures; for each engine's end-to-end test.

#include "app/headless/run_headless.h"
#include "site/modern_routes.h"
#include "site/test_site.h"
#include "text/size_format.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>

// The picture table's lines (without the header), and what the run said on standard error.
struct ModernRun {
    int status = -1;
    QStringList rows;
    QString err;
};

inline ModernRun runOnModernPages(const TestSite& site, const QString& engine)
{
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
    bound.start(120'000);
    ModernRun run;
    QString out;
    QTextStream outStream(&out);
    QTextStream errStream(&run.err);
    const QString start = site.url(QStringLiteral("/modern/index.htm"));
    run.status = runHeadless({"quorvane", "--headless", "--engine", engine, "--interval", "10", "--hold", "0",
                              "--timeout", "30", start},
                             outStream, errStream);
    run.rows = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    return run;
}

// What is wrong with the run's figures, or nothing: at least 99 % of the rows carry their
// picture's size, and each row whose bytes Qt's readers can measure carries their width and
// height. Tells, as well, what the probes read against the pictures' full sizes.
inline QString measuringFault(const ModernRun& run, const TestSite& site)
{
    QHash<QString, QByteArray> bodies;
    for (const ModernPicture& picture : modernPictures())
        bodies.insert(site.url(QStringLiteral("/modern/") + picture.path), picture.body);
    int sized = 0;
    qint64 fullBytes = 0;
    for (const QString& line : run.rows) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (!bodies.contains(cells.value(1)))
            return QStringLiteral("a row of no picture: ") + line;
        QByteArray body = bodies.value(cells.value(1));
        fullBytes += body.size();
        if (!cells.value(3).isEmpty()) {
            ++sized;
            if (cells.value(3) != formatSizeKb(double(body.size())))
                return QStringLiteral("a wrong size: ") + line;
        }
        QBuffer buffer(&body);
        const QSize read = QImageReader(&buffer).size();
        if (read.isValid() && (cells.value(6) != QString::number(read.width()) || cells.value(7) != QString::number(read.height())))
            return QStringLiteral("not %1 x %2: ").arg(read.width()).arg(read.height()) + line;
    }
    if (sized * 100 < int(run.rows.size()) * 99)
        return QStringLiteral("%1 of %2 rows carry a size").arg(sized).arg(run.rows.size());
    const QRegularExpressionMatch probes =
        QRegularExpression(QStringLiteral("(\\d+) picture probes read (\\d+) bytes")).match(run.err);
    qInfo("%d rows, %s probes read %s bytes; the pictures hold %lld", int(run.rows.size()),
          qPrintable(probes.captured(1)), qPrintable(probes.captured(2)), fullBytes);
    return {};
}
