#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The fuzzer's bytes as argument texts: UTF-8, split at every NUL, always `count` texts
// (missing ones empty).
inline QStringList fuzzArguments(const uint8_t* data, size_t size, qsizetype count)
{
    QStringList texts = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))
                            .split(QChar(u'\0'));
    while (texts.size() < count)
        texts.append(QString());
    return texts;
}

// A broken promise of the routine under test: stop so the fuzzer keeps the input.
inline void require(bool holds)
{
    if (!holds)
        std::abort();
}
