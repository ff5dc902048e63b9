#pragma once

#include <QStringList>

class QTextStream;

// The search without a window: quorvane --headless [options] ADDRESS... (arguments as
// QCoreApplication::arguments() gives them, the program first). Runs the event loop of the
// QCoreApplication that the caller made until the search is idle, then writes the picture
// table (and the page table when asked) as tab-separated UTF-8. out takes what goes to
// standard output, err the progress and the messages. Gives the exit status: 0 done,
// 1 an output file could not be written, 2 bad usage.
int runHeadless(const QStringList& arguments, QTextStream& out, QTextStream& err);
