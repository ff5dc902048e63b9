#pragma once

#include <QString>

// The name a downloaded picture is saved under: the last path segment of the address,
// percent-encoding decoded where the result is valid UTF-8, the query kept inside the name
// before the extension ("logo.png?v=3" -> "logo_v=3.png"), the extension of the picture's
// type added where the name has none of a picture ("product?sku=FL-101" served as image/jpeg
// -> "product_sku=FL-101.jpg"), then made safe by safeFileName.
QString downloadFileName(const QString& address, const QString& contentType);
