#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// Writes bytes to path so that the file holds either all of them or what it held before.
// Gives the reason when it failed, nothing when it worked.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes);
// The same for what write puts into the file, in as many pieces as it likes; it gives false
// when a write failed.
std::optional<QString> writeFileAtomically(const QString& path, const std::function<bool(QIODevice& file)>& write);
