#pragma once

#include <QString>

// The script that reads a settled page, run in a world of its own so that the page's scripts
// cannot see or change it. It returns the page and its readable frames (same origin, at most
// 8 deep) with every element's attributes, and the texts of the page's style sheets.
QString snapshotScript();
