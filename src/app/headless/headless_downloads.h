#pragma once

#include "app/downloads/picture_downloads.h"

#include <QString>

#include <functional>

class QTextStream;
class StopSignals;

// "downloads: 12 saved, 3 already there, 1 failed, 4.2 MB"
QString downloadLine(const PictureDownloads::Tally& tally);

// Saves the rows that wanted accepts into folder and returns once they are all done, or at
// SIGINT / SIGTERM. A progress line on a terminal, nothing elsewhere. Gives false, after one
// message on err, when a full disk or an unwritable folder ended the downloads.
bool runDownloads(PictureDownloads& downloads, const QString& folder, const std::function<bool(int row)>& wanted,
                  const StopSignals& stop, QTextStream& err);
