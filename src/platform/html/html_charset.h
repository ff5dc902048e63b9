#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The text of an HTML page from its bytes: a byte-order mark first, then the charset of the
// HTTP Content-Type, then a <meta charset> or http-equiv declaration near the start, and
// else UTF-8 when the bytes are valid UTF-8 and windows-1252 when not. Bytes that do not
// fit the charset become U+FFFD; the result never holds a byte-order mark.
QString decodeHtml(const QByteArray& bytes, const QByteArray& contentType);

// The charset parameter of a Content-Type header value, if any.
std::optional<QByteArray> charsetFromContentType(QByteArrayView contentType);

// The charset that a <meta> element declares within the first bytes of a page, if any.
std::optional<QByteArray> prescanMetaCharset(QByteArrayView bytes);

// The decoder name for a charset label as pages write it ("gb2312" reads as GB18030, its
// superset, so that GBK pages read right), or nothing for a label no decoder knows.
std::optional<QByteArray> decoderNameForLabel(QByteArrayView label);
