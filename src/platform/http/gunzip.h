#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// A gzip file unpacked, at most maxBytes of it: what a sitemap.xml.gz holds.
struct Gunzipped {
    QByteArray bytes;
    bool cut = false; // there was more than maxBytes
};

// Nothing when the bytes are not gzip or are broken before anything could be unpacked.
std::optional<Gunzipped> gunzip(QByteArrayView packed, qsizetype maxBytes);

// True when the bytes begin as a gzip file does.
bool looksGzipped(QByteArrayView bytes);
