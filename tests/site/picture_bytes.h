#pragma once

#include <QByteArray>

// Real, readable pictures of an exact byte size (filled with one colour), for the canned
// site and for tests that check sizes, widths and heights. The size is reached with a
// comment block, so it must leave room for one: at least 64 bytes, and more for large
// pictures; a size too small for the picture gives the smallest picture instead.
QByteArray gifPicture(int width, int height, int byteSize);
QByteArray pngPicture(int width, int height, int byteSize);

// The bytes packed in gzip's format, as a server sends them with Content-Encoding: gzip.
QByteArray gzipped(const QByteArray& data);
