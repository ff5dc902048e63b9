#pragma once

#include "app/downloads/picture_downloads.h"
#include "app/search_session.h"
#include "app/session_recorder.h"
#include "app/table_formats.h"
#include "lists/picture_filter.h"
#include "platform/http/http_settings.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// What the headless command line asks for.
struct HeadlessOptions {
    bool titles = false;  // "提取标题"
    bool sources = false; // "提取来源"
    QString outputFile;   // the picture table; standard output when empty
    QString pagesFile;    // the page table; not written when empty
    TableFormat format = TableFormat::Tsv; // of both tables
    QString sessionFile;  // the search kept in SQLite and resumed from it; none when empty
    int pictureRowsInMemory = SessionRecorder::pictureRowsInMemory; // with a session file
    SearchPace pace;
    CrawlLimits limits; // --max-pages, --max-depth; none by default
    bool chromium = false; // --engine chromium: pages run their scripts
    int workers = 0;       // threads that parse and read pages; 0: the event loop's own
    bool measure = true;   // every picture's size and dimensions while the search runs
    PictureFilter filter;  // the rows written and downloaded
    QString downloadFolder; // --download: the pictures that pass go there; none when empty
    qint64 maxFileBytes = PictureDownloads::kDefaultMaxFileBytes;
    Politeness politeness; // --ignore-robots, --no-sitemaps
    QStringList addresses;
    HttpSettings http; // --user-agent, --header, --cookies, --ca-file, --insecure
};

// --max-file-size takes whole megabytes up to this (a terabyte).
inline constexpr int kMaxFileSizeMbLimit = 1 << 20;

// Why the command line cannot run: one line for standard error (exit status 2).
struct UsageError {
    QString message;
    bool showUsage = true;
};

// arguments as QCoreApplication::arguments() gives them, the program first.
std::variant<HeadlessOptions, UsageError> parseHeadlessArguments(const QStringList& arguments);

QString headlessUsage();

// --help or --version, asked in any mode: the text for standard output, or nothing when
// neither is asked. Needs no application object and no display, so main() asks it first.
std::optional<QString> informationRequested(const QStringList& arguments);

// True when the command line names the chromium engine, read as the option parser reads it
// ("--engine chromium", "--engine=chromium", "-engine chromium"; the last --engine wins).
bool asksForChromium(const QStringList& arguments);

// What the command line asks of every request, for either mode; a usage error for a bad
// --header or an empty file name.
std::variant<HttpSettings, UsageError> parseHttpSettings(const QStringList& arguments);
// Why --ca-file is refused with the chromium engine, the window's included.
QString chromiumCaFileRefusal();
// --ignore-robots and --no-sitemaps, for the window as for the headless runner.
Politeness parsePoliteness(const QStringList& arguments);

// Without --headless: why the window cannot open (no display to show it on), or nothing.
std::optional<QString> windowUnavailable(const QStringList& arguments);
