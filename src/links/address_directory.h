#pragma once

#include <QString>

// The directory of an address: the address itself when it ends with "/", else the address
// up to and including its last "/" (query included), "" when it holds none.
QString addressDirectory(const QString& address);
