#pragma once

#include <QString>

// The type of the file an address names: the extension without its dot, at most 6
// characters, trimmed, letter case kept; "" when there is none. A fragment, query or port
// does not count, nor does the path of an address carried in the query.
QString getFileType(const QString& address);

// The last component of an address or local path ("/" and "\" both separate), query and
// fragment included; without its last extension when dropExtension is set.
QString getFileName(const QString& path, bool dropExtension);
