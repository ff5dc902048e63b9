#pragma once

#include "app/search_session.h"

#include <QString>
#include <QStringList>

#include <variant>

// What the headless command line asks for.
struct HeadlessOptions {
    bool titles = false;  // "提取标题"
    bool sources = false; // "提取来源"
    QString outputFile;   // the picture table; standard output when empty
    QString pagesFile;    // the page table; not written when empty
    QString sessionFile;  // the search kept in SQLite and resumed from it; none when empty
    SearchPace pace;
    QStringList addresses;
};

// Why the command line cannot run: one line for standard error (exit status 2).
struct UsageError {
    QString message;
    bool showUsage = true;
};

// arguments as QCoreApplication::arguments() gives them, the program first.
std::variant<HeadlessOptions, UsageError> parseHeadlessArguments(const QStringList& arguments);

QString headlessUsage();
