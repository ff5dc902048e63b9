#include "app/headless/headless_options.h"

#include <QCommandLineParser>

#include <cmath>
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

} // namespace

QString headlessUsage()
{
    return QStringLiteral(
        "usage: quorvane --headless [--titles] [--sources] [--output FILE] [--pages FILE]\n"
        "                [--slots N] [--interval MS] [--hold SECONDS] [--timeout SECONDS]\n"
        "                [--engine net|chromium] [--session FILE] ADDRESS...\n");
}

std::variant<HeadlessOptions, UsageError> parseHeadlessArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption headless(QStringLiteral("headless"));
    const QCommandLineOption titles(QStringLiteral("titles"));
    const QCommandLineOption sources(QStringLiteral("sources"));
    const QCommandLineOption output(QStringLiteral("output"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption pages(QStringLiteral("pages"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption slotCount(QStringLiteral("slots"), QString(), QStringLiteral("N"));
    const QCommandLineOption interval(QStringLiteral("interval"), QString(), QStringLiteral("MS"));
    const QCommandLineOption hold(QStringLiteral("hold"), QString(), QStringLiteral("SECONDS"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS"));
    const QCommandLineOption engine(QStringLiteral("engine"), QString(), QStringLiteral("ENGINE"),
                                    QStringLiteral("net"));
    const QCommandLineOption session(QStringLiteral("session"), QString(), QStringLiteral("FILE"));
    parser.addOptions({headless, titles, sources, output, pages, slotCount, interval, hold,
                       timeout, engine, session});
    if (!parser.parse(arguments))
        return UsageError{program + QStringLiteral(": ") + parser.errorText()};

    HeadlessOptions options;
    options.titles = parser.isSet(titles);
    options.sources = parser.isSet(sources);
    options.outputFile = parser.value(output);
    options.pagesFile = parser.value(pages);
    if (parser.isSet(output) && options.outputFile.isEmpty())
        return badValue(QStringLiteral("output"), QString());
    if (parser.isSet(pages) && options.pagesFile.isEmpty())
        return badValue(QStringLiteral("pages"), QString());
    options.sessionFile = parser.value(session);
    if (parser.isSet(session) && options.sessionFile.isEmpty())
        return badValue(QStringLiteral("session"), QString());

    if (parser.isSet(slotCount)) {
        const auto n = wholeNumber(parser.value(slotCount), 1, 64);
        if (!n)
            return badValue(QStringLiteral("slots"), parser.value(slotCount));
        options.pace.slotCount = *n;
    }
    if (parser.isSet(interval)) {
        const auto ms = wholeNumber(parser.value(interval), 0, 3'600'000);
        if (!ms)
            return badValue(QStringLiteral("interval"), parser.value(interval));
        options.pace.intervalMs = *ms;
    }
    if (parser.isSet(hold)) {
        const auto s = seconds(parser.value(hold), true);
        if (!s)
            return badValue(QStringLiteral("hold"), parser.value(hold));
        options.pace.holdSeconds = *s;
    }
    if (parser.isSet(timeout)) {
        const auto s = seconds(parser.value(timeout), false);
        if (!s)
            return badValue(QStringLiteral("timeout"), parser.value(timeout));
        options.pace.pageTimeout = *s;
    }

    const QString engineName = parser.value(engine);
    if (engineName == QLatin1String("chromium"))
        return UsageError{program + QStringLiteral(": the chromium engine is not part of this build; use --engine net"), false};
    if (engineName != QLatin1String("net"))
        return badValue(QStringLiteral("engine"), engineName);

    options.addresses = parser.positionalArguments();
    if (options.addresses.isEmpty())
        return UsageError{program + QStringLiteral(": no start address given")};
    return options;
}
