#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Writes bytes to path so that the file holds either all of them or what it held before.
// Gives the reason when it failed, nothing when it worked.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes);
