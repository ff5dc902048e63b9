#include "lists/packed_texts.h"

#include <cstring>

PackedTexts::Span PackedTexts::append(QStringView text)
{
    Span span{m_bytes.size(), quint32(text.size()), false};
    m_bytes.resize(span.offset + text.size());
    char* out = m_bytes.data() + span.offset;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            span.wide = true;
            break;
        }
        *out++ = char(c.unicode());
    }
    if (span.wide) {
        m_bytes.resize(span.offset + text.size() * 2);
        std::memcpy(m_bytes.data() + span.offset, text.utf16(), size_t(text.size()) * 2);
    }
    return span;
}

QString PackedTexts::text(Span span) const
{
    const char* at = m_bytes.data() + span.offset;
    if (!span.wide)
        return QString::fromLatin1(at, span.length);
    QString text(span.length, Qt::Uninitialized);
    std::memcpy(text.data(), at, size_t(span.length) * 2);
    return text;
}
