#pragma once

#include <QString>
#include <QStringList>

// How deep @import chains are followed: a linked sheet's or style block's imports are at
// depth 1.
inline constexpr int kMaxImportDepth = 8;

// The style sheets that a style text pulls in with @import ("@import url(a.css)",
// "@import 'b.css' screen"), made absolute against base (the address of the sheet, or of
// the document for a STYLE block), in text order. Imports inside comments do not count.
QStringList importedSheets(const QString& text, const QString& base);

// The same in two steps: the references as written, then made absolute against base.
QStringList importReferences(const QString& text);
QStringList resolveImports(const QStringList& references, const QString& base);
