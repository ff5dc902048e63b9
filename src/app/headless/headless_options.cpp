#include "app/headless/headless_options.h"

#include "app/engines/engine_factory.h"
#include "build_info.h"
#include "base/worker_threads.h"

#include <QCommandLineParser>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString program = QStringLiteral("quorvane");

std::optional<int> wholeNumber(const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<double> seconds(const QString& text, bool zeroAllowed)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    // A day is past any sensible time-out and keeps the clock arithmetic exact.
    if (!ok || !std::isfinite(value) || value < 0 || (value == 0 && !zeroAllowed) || value > 86400)
        return std::nullopt;
    return value;
}

UsageError badValue(const QString& option, const QString& value)
{
    return {QStringLiteral("%1: bad value for --%2: \"%3\"").arg(program, option, value)};
}

QCommandLineOption flag(const char* name)
{
    return QCommandLineOption(QString::fromLatin1(name));
}

QCommandLineOption valued(const char* name, const char* valueName, const QString& defaultValue = {})
{
    return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName), defaultValue);
}

// Every option of both modes, one a line. Single-dash words read as long options, so that
// the window's Qt options (-platform, -reverse) never pass for -v or -h.
void addOptions(QCommandLineParser& parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}),
        QCommandLineOption(QStringList{QStringLiteral("v"), QStringLiteral("version")}),
        flag("headless"),
        flag("titles"),
        flag("sources"),
        valued("output", "FILE"),
        valued("pages", "FILE"),
        valued("format", "FORMAT", QStringLiteral("tsv")),
        valued("slots", "N"),
        valued("interval", "MS"),
        valued("hold", "SECONDS"),
        valued("timeout", "SECONDS"),
        valued("engine", "ENGINE", QStringLiteral("net")),
        valued("max-pages", "N"),
        valued("max-depth", "N"),
        valued("session", "FILE"),
        valued("rows-in-memory", "N"),
        valued("lang", "LANGUAGE"),
        valued("workers", "N"),
        flag("measure"),
        flag("no-measure"),
        valued("min-width", "N"),
        valued("min-height", "N"),
        valued("min-size", "KB"),
        valued("max-size", "KB"),
        valued("types", "LIST"),
        valued("match", "REGEX"),
        valued("exclude", "REGEX"),
        valued("download", "DIR"),
        valued("max-file-size", "MB"),
        flag("ignore-robots"),
        flag("no-sitemaps"),
    });
    // What every request sends and how servers are trusted.
    parser.addOptions({valued("user-agent", "TEXT"), valued("header", "LINE"), valued("cookies", "FILE"),
                       valued("ca-file", "FILE"), flag("insecure")});
}

std::optional<double> kilobytes(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return value;
}

// "JPG, png,.webp" -> jpg, png, webp; nothing when no type is named.
std::optional<QStringList> pictureTypes(const QString& text)
{
    QStringList types;
    for (QString type : text.split(QLatin1Char(','))) {
        type = type.trimmed().toLower();
        if (type.startsWith(QLatin1Char('.')))
            type.remove(0, 1);
        if (!type.isEmpty())
            types.append(type);
    }
    if (types.isEmpty())
        return std::nullopt;
    return types;
}

// The filter options into filter, or why one of them is wrong.
std::optional<UsageError> readFilter(const QCommandLineParser& parser, PictureFilter& filter)
{
    auto value = [&parser](const char* name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    for (const auto& [name, bound] : {std::pair{"min-width", &filter.minWidth}, std::pair{"min-height", &filter.minHeight}}) {
        if (!isSet(name))
            continue;
        const auto n = wholeNumber(value(name), 0, std::numeric_limits<int>::max());
        if (!n)
            return badValue(QString::fromLatin1(name), value(name));
        *bound = *n;
    }
    for (const auto& [name, bound] : {std::pair{"min-size", &filter.minSizeKb}, std::pair{"max-size", &filter.maxSizeKb}}) {
        if (!isSet(name))
            continue;
        const auto kb = kilobytes(value(name));
        if (!kb)
            return badValue(QString::fromLatin1(name), value(name));
        *bound = *kb;
    }
    if (isSet("types")) {
        const auto types = pictureTypes(value("types"));
        if (!types)
            return badValue(QStringLiteral("types"), value("types"));
        filter.types = *types;
    }
    for (const auto& [name, pattern] : {std::pair{"match", &filter.match}, std::pair{"exclude", &filter.exclude}}) {
        if (!isSet(name))
            continue;
        *pattern = QRegularExpression(value(name));
        if (!pattern->isValid()) {
            return UsageError{QStringLiteral("%1: bad regular expression for --%2: %3 at offset %4")
                                  .arg(program, QString::fromLatin1(name), pattern->errorString())
                                  .arg(pattern->patternErrorOffset())};
        }
    }
    return std::nullopt;
}

QString optionError(const QCommandLineParser& parser)
{
    // Qt names an unknown option without its dashes; say it as it was typed.
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().constFirst();
        return QStringLiteral("%1: unknown option %2%3").arg(program, name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    return program + QStringLiteral(": ") + parser.errorText();
}

} // namespace

QString headlessUsage()
{
    return QStringLiteral(
        "usage: quorvane --headless [--titles] [--sources] [--output FILE] [--pages FILE]\n"
        "                [--format tsv|csv|jsonl] [--slots N] [--interval MS] [--hold SECONDS]\n"
        "                [--timeout SECONDS] [--engine net|chromium] [--max-pages N]\n"
        "                [--max-depth N] [--session FILE] [--rows-in-memory N]\n"
        "                [--workers N] [--no-measure]\n"
        "                [--min-width N] [--min-height N] [--min-size KB] [--max-size KB]\n"
        "                [--types LIST] [--match REGEX] [--exclude REGEX]\n"
        "                [--download DIR] [--max-file-size MB] [--ignore-robots]\n"
        "                [--no-sitemaps] [--user-agent TEXT] [--header \"NAME: VALUE\"]...\n"
        "                [--cookies FILE] [--ca-file FILE] [--insecure] ADDRESS...\n");
}

std::optional<QString> informationRequested(const QStringList& arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    // A bad option does not hide --help: the parser reads on past it.
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help"))) {
        return QStringLiteral(
                   "usage: quorvane [--lang en|zh]       open the window\n"
                   "       quorvane --headless [OPTION]... ADDRESS...\n"
                   "       quorvane --help | --version\n"
                   "\n"
                   "Searches whole web sites for pictures. With --headless it runs the search\n"
                   "without a window and writes the picture table to standard output.\n"
                   "\n"
                   "  --titles             fill the title column\n"
                   "  --sources            fill the source column\n"
                   "  --output FILE        the picture table to FILE instead\n"
                   "  --pages FILE         the page table to FILE\n"
                   "  --format FORMAT      tsv (default), csv or jsonl, for both tables\n"
                   "  --slots N            pages loaded at once (3)\n"
                   "  --interval MS        period of the timers (1000; 0: as soon as anything changes)\n"
                   "  --hold SECONDS       a browser keeps a finished page this long (10)\n"
                   "  --timeout SECONDS    page time-out (60)\n"
                   "  --engine ENGINE      net (default) or chromium\n"
                   "  --max-pages N        harvest no more once the page table holds N pages\n"
                   "  --max-depth N        follow links at most N steps from a start address\n"
                   "  --session FILE       keep the search in FILE (SQLite) and resume it from there\n"
                   "  --rows-in-memory N   with --session, picture rows past the first N live in FILE\n"
                   "                       only (2000000)\n"
                   "  --lang LANGUAGE      the window's language: en or zh (default: the system's)\n"
                   "  --workers N          threads that parse and read pages beside the search's own\n"
                   "                       (one a core; 0: all on the search's thread)\n"
                   "  --ignore-robots      load what robots.txt forbids, without its Crawl-delay\n"
                   "  --no-sitemaps        read no sitemaps\n"
                   "  --no-measure         leave sizes and dimensions to what pages give (--measure:\n"
                   "                       read them for every picture while the search runs; default)\n"
                   "\n"
                   "Filters: only the pictures that pass all given are written and downloaded; the\n"
                   "session keeps every one. A picture of unknown dimensions fails a width or height.\n"
                   "  --min-width N        at least N pixels wide\n"
                   "  --min-height N       at least N pixels high\n"
                   "  --min-size KB        at least KB kilobytes\n"
                   "  --max-size KB        at most KB kilobytes\n"
                   "  --types LIST         of these types, e.g. jpg,png,webp (letter case ignored)\n"
                   "  --match REGEX        the address matches REGEX\n"
                   "  --exclude REGEX      the address does not match REGEX\n"
                   "\n"
                   "  --download DIR       save the pictures into DIR once the search has ended\n"
                   "  --max-file-size MB   give up a picture larger than this (256)\n"
                   "  --user-agent TEXT    the User-Agent every request sends\n"
                   "  --header \"N: V\"      one more request header, for every request (repeatable)\n"
                   "  --cookies FILE       cookies to send, from a Netscape cookies.txt\n"
                   "  --ca-file FILE       trust the certificates in FILE too (net engine only)\n"
                   "  --insecure           check no certificate\n"
                   "  -h, --help           this text\n"
                   "  -v, --version        the version\n"
                   "\n"
                   "Exit status: 0 the search ran, 1 a file could not be written (a table, or a\n"
                   "picture for a full disk or an unwritable DIR), 2 bad usage,\n"
                   "130 / 143 after SIGINT / SIGTERM (the tables written first).\n");
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return QStringLiteral("%1 %2.%3.%4\n").arg(QString::fromUtf8(BuildInfo::title)).arg(BuildInfo::major)
            .arg(BuildInfo::minor).arg(BuildInfo::revision);
    }
    return std::nullopt;
}

bool asksForChromium(const QStringList& arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    parser.parse(arguments);
    return parser.value(QStringLiteral("engine")) == QLatin1String("chromium");
}

std::optional<QString> windowUnavailable(const QStringList& arguments)
{
    const bool platformChosen = arguments.contains(QStringLiteral("-platform"))
        || arguments.contains(QStringLiteral("--platform"));
    if (platformChosen || !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return std::nullopt;
    return program + QStringLiteral(": no display to open the window on (DISPLAY, WAYLAND_DISPLAY and "
                                     "QT_QPA_PLATFORM are unset); search without one with --headless\n");
}

namespace {

std::variant<HttpSettings, UsageError> httpSettings(const QCommandLineParser& parser)
{
    HttpSettings http;
    if (parser.isSet(QStringLiteral("user-agent"))) {
        const QString agent = parser.value(QStringLiteral("user-agent"));
        if (agent.trimmed().isEmpty() || agent.contains(u'\n') || agent.contains(u'\r'))
            return badValue(QStringLiteral("user-agent"), agent);
        http.userAgent = agent.toUtf8();
    }
    for (const QString& text : parser.values(QStringLiteral("header"))) {
        const std::optional<QByteArray> line = headerLine(text);
        if (!line)
            return badValue(QStringLiteral("header"), text);
        http.headers.append(*line);
    }
    for (const auto& [name, file] : {std::pair{"cookies", &http.cookiesFile}, std::pair{"ca-file", &http.caFile}}) {
        *file = parser.value(QString::fromLatin1(name));
        if (parser.isSet(QString::fromLatin1(name)) && file->isEmpty())
            return badValue(QString::fromLatin1(name), QString());
    }
    http.insecure = parser.isSet(QStringLiteral("insecure"));
    return http;
}

} // namespace

QString chromiumCaFileRefusal()
{
    // Better no search than one whose pages trust other servers than asked.
    return program + QStringLiteral(": --ca-file is for the net engine; the chromium engine trusts the system's "
                                    "certificates only (--insecure checks none)");
}

std::variant<HttpSettings, UsageError> parseHttpSettings(const QStringList& arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    parser.parse(arguments);
    return httpSettings(parser);
}

Politeness parsePoliteness(const QStringList& arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    parser.parse(arguments);
    return {!parser.isSet(QStringLiteral("ignore-robots")), !parser.isSet(QStringLiteral("no-sitemaps"))};
}

std::variant<HeadlessOptions, UsageError> parseHeadlessArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments))
        return UsageError{optionError(parser)};
    auto value = [&parser](const char* name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };

    HeadlessOptions options;
    options.titles = isSet("titles");
    options.politeness = parsePoliteness(arguments);
    options.sources = isSet("sources");
    options.outputFile = value("output");
    options.pagesFile = value("pages");
    if (isSet("output") && options.outputFile.isEmpty())
        return badValue(QStringLiteral("output"), QString());
    if (isSet("pages") && options.pagesFile.isEmpty())
        return badValue(QStringLiteral("pages"), QString());
    options.sessionFile = value("session");
    if (isSet("session") && options.sessionFile.isEmpty())
        return badValue(QStringLiteral("session"), QString());
    if (isSet("rows-in-memory")) {
        const auto n = wholeNumber(value("rows-in-memory"), 0, std::numeric_limits<int>::max());
        if (!n)
            return badValue(QStringLiteral("rows-in-memory"), value("rows-in-memory"));
        options.pictureRowsInMemory = *n;
    }

    if (isSet("slots")) {
        const auto n = wholeNumber(value("slots"), 1, 64);
        if (!n)
            return badValue(QStringLiteral("slots"), value("slots"));
        options.pace.slotCount = *n;
    }
    if (isSet("interval")) {
        const auto ms = wholeNumber(value("interval"), 0, 3'600'000);
        if (!ms)
            return badValue(QStringLiteral("interval"), value("interval"));
        options.pace.intervalMs = *ms;
    }
    if (isSet("hold")) {
        const auto s = seconds(value("hold"), true);
        if (!s)
            return badValue(QStringLiteral("hold"), value("hold"));
        options.pace.holdSeconds = *s;
    }
    if (isSet("timeout")) {
        const auto s = seconds(value("timeout"), false);
        if (!s)
            return badValue(QStringLiteral("timeout"), value("timeout"));
        options.pace.pageTimeout = *s;
    }

    if (isSet("max-pages")) {
        const auto n = wholeNumber(value("max-pages"), 1, std::numeric_limits<int>::max());
        if (!n)
            return badValue(QStringLiteral("max-pages"), value("max-pages"));
        options.limits.maxPages = *n;
    }
    if (isSet("max-depth")) {
        const auto n = wholeNumber(value("max-depth"), 0, std::numeric_limits<int>::max());
        if (!n)
            return badValue(QStringLiteral("max-depth"), value("max-depth"));
        options.limits.maxDepth = *n;
    }

    options.workers = WorkerThreads::defaultCount();
    if (isSet("workers")) {
        const auto n = wholeNumber(value("workers"), 0, 64);
        if (!n)
            return badValue(QStringLiteral("workers"), value("workers"));
        options.workers = *n;
    }

    options.measure = !isSet("no-measure");
    if (const std::optional<UsageError> error = readFilter(parser, options.filter))
        return *error;
    options.downloadFolder = value("download");
    if (isSet("download") && options.downloadFolder.isEmpty())
        return badValue(QStringLiteral("download"), QString());
    if (isSet("max-file-size")) {
        const auto mb = wholeNumber(value("max-file-size"), 1, kMaxFileSizeMbLimit);
        if (!mb)
            return badValue(QStringLiteral("max-file-size"), value("max-file-size"));
        options.maxFileBytes = qint64(*mb) << 20;
    }

    const QString engineName = value("engine");
    if (engineName == QLatin1String("chromium")) {
        if (!chromiumInBuild())
            return UsageError{program + QStringLiteral(": the chromium engine is not part of this build; use --engine net"), false};
        options.chromium = true;
    } else if (engineName != QLatin1String("net")) {
        return badValue(QStringLiteral("engine"), engineName);
    }
    const std::optional<TableFormat> format = tableFormatNamed(value("format"));
    if (!format)
        return badValue(QStringLiteral("format"), value("format"));
    options.format = *format;

    auto http = httpSettings(parser);
    if (const auto* error = std::get_if<UsageError>(&http))
        return *error;
    options.http = std::get<HttpSettings>(http);
    if (options.chromium && isSet("ca-file"))
        return UsageError{chromiumCaFileRefusal(), false};

    options.addresses = parser.positionalArguments();
    if (options.addresses.isEmpty())
        return UsageError{program + QStringLiteral(": no start address given")};
    return options;
}
