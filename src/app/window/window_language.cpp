#include "app/window/window_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

std::optional<QString> windowLanguage(const QStringList& arguments, const QLocale& system)
{
    QString chosen;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--lang"))
            chosen = arguments.value(i + 1);
        else if (arguments.at(i).startsWith(QLatin1String("--lang=")))
            chosen = arguments.at(i).mid(7);
        else
            continue;
        if (chosen != QLatin1String("en") && chosen != QLatin1String("zh"))
            return std::nullopt;
    }
    if (!chosen.isEmpty())
        return chosen;
    return system.language() == QLocale::Chinese ? QStringLiteral("zh") : QStringLiteral("en");
}

bool installWindowLanguage(const QString& language)
{
    static QTranslator translator;
    static QTranslator qtOwn; // Qt's buttons (Yes, No, Save...) and file dialogs
    QCoreApplication::removeTranslator(&translator);
    QCoreApplication::removeTranslator(&qtOwn);
    if (language == QLatin1String("en") && translator.load(QStringLiteral(":/i18n/quorvane_en.qm")))
        QCoreApplication::installTranslator(&translator);
    if (language != QLatin1String("zh"))
        return true;
    if (!qtOwn.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&qtOwn);
    return true;
}
