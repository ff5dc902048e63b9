#pragma once

#include <QString>
#include <QStringList>

// The addresses that image-set() and -webkit-image-set() in a style text give as quoted
// strings ("a.png" 1x), as written, in text order. Their url(...) forms are found by
// scanCssUrls like every other url(...); a string inside a nested function such as type()
// names no picture.
QStringList imageSetStrings(const QString& text);
