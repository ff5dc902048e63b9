#pragma once

#include <QByteArrayView>

#include <gumbo.h>

// The HTML parser as Debian builds it keeps its assertions, and some markup trips them: the
// parser then aborts the whole process, and a search would lose what it had not yet saved.
// Parsed this way, such a fault ends that one parse, which gives nothing; the process and
// every other parse go on. Any other abort of the process stays an abort.
GumboOutput* parseWithoutAbort(const GumboOptions& options, QByteArrayView input);
