#include "base/packed_texts.h"

#include <algorithm>
#include <cstring>

void PackedTexts::keepTogether(qsizetype characters)
{
    const size_t bytes = size_t(characters) * 2; // the most they can take
    if (!m_pieces.empty() && m_capacity - m_used >= bytes)
        return;
    m_capacity = std::max(pieceBytes, bytes);
    m_pieces.push_back(std::make_unique_for_overwrite<char[]>(m_capacity));
    m_used = 0;
}

PackedTexts::Span PackedTexts::append(QStringView text)
{
    keepTogether(text.size());
    char* start = m_pieces.back().get() + m_used;
    const char16_t* from = text.utf16();
    const auto length = size_t(text.size());
    // Narrowed in one pass without a branch, which the compiler turns into vector code;
    // the room for the wide form is there, so the bytes written in vain do no harm.
    char16_t seen = 0;
    for (size_t i = 0; i < length; ++i) {
        seen |= from[i];
        start[i] = char(from[i]);
    }
    const bool wide = seen >= 0x80;
    if (wide)
        std::memcpy(start, from, length * 2);
    const Span span{(quint64(m_pieces.size() - 1) << 32) | m_used, quint32(length), wide};
    m_used += size_t(span.end() - span.offset);
    return span;
}

QString PackedTexts::text(Span span) const
{
    const char* at = narrow(span);
    if (!span.wide)
        return QString::fromLatin1(at, span.length);
    QString text(span.length, Qt::Uninitialized);
    std::memcpy(text.data(), at, size_t(span.length) * 2);
    return text;
}

bool PackedTexts::equals(Span span, QStringView text) const
{
    if (span.length != quint32(text.size()))
        return false;
    if (span.wide)
        return std::memcmp(narrow(span), text.utf16(), size_t(span.length) * 2) == 0;
    return text.compare(QLatin1StringView(narrow(span), span.length)) == 0;
}
