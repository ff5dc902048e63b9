#pragma once

#include <QString>

// A page's attribute values, all together, are read up to this many characters: no page
// within the response cap holds more.
inline constexpr qint64 kMaxSnapshotAttributeText = 32 * 1024 * 1024;
// The page and its frames: as many documents as the net engine loads.
inline constexpr int kMaxSnapshotDocuments = 100;

// The script that reads a settled page, run in a world of its own so that the page's scripts
// cannot see or change it. It reads in slices of a few tens of milliseconds, so that the page
// stays responsive: this script sets the reader up and gives the first slice, each run of
// snapshotNextSliceScript() the next, until a slice says it is done. Together the slices
// give the page and its readable frames (same origin, at most 8 deep) with every element's
// attributes, within the net engine's element and attribute caps (a slice says where the
// page was cut), the texts of the page's style sheets, the natural size of every picture
// shown and the byte size of every picture resource loaded.
QString snapshotScript();
// Null once the page has gone to another document.
QString snapshotNextSliceScript();
