#include "app/headless/headless_downloads.h"

#include "app/headless/search_progress.h"
#include "app/headless/stop_signals.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocale>
#include <QTextStream>

namespace {

constexpr qint64 redrawMs = 200;

} // namespace

QString downloadLine(const PictureDownloads::Tally& tally)
{
    return QStringLiteral("downloads: %1 saved, %2 already there, %3 failed, %4")
        .arg(tally.saved).arg(tally.same).arg(tally.failed)
        .arg(QLocale::c().formattedDataSize(tally.bytes, 1, QLocale::DataSizeSIFormat));
}

bool runDownloads(PictureDownloads& downloads, const QString& folder, const std::function<bool(int row)>& wanted,
                  const StopSignals& stop, QTextStream& err)
{
    const bool terminal = writesToTerminal(err);
    QElapsedTimer sinceShown;
    auto show = [&] {
        sinceShown.start();
        err << '\r' << downloadLine(downloads.tally()) << "\x1b[K";
        err.flush();
    };
    QEventLoop loop;
    QObject::connect(&stop, &StopSignals::stopRequested, &loop, &QEventLoop::quit);
    QObject::connect(&downloads, &PictureDownloads::finished, &loop, &QEventLoop::quit);
    if (terminal) {
        QObject::connect(&downloads, &PictureDownloads::progressed, &loop, [&] {
            if (!sinceShown.isValid() || sinceShown.elapsed() >= redrawMs)
                show();
        });
    }
    downloads.downloadAll(folder, wanted);
    if (downloads.isBusy())
        loop.exec();
    downloads.stop(); // after a stop signal: the pictures begun are removed, their rows cleared
    if (terminal) {
        show();
        err << '\n';
    }
    const QString fatal = downloads.fatalFailure();
    if (!fatal.isEmpty())
        err << QStringLiteral("quorvane: downloads ended: %1").arg(fatal) << '\n';
    err.flush();
    return fatal.isEmpty();
}
