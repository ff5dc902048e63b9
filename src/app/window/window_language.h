#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// The window's language: "zh" shows the texts as written (Chinese), "en" the English
// translation. --lang en|zh chooses; without it a Chinese system locale gets Chinese and any
// other English. Nothing when --lang names another language.
std::optional<QString> windowLanguage(const QStringList& arguments, const QLocale& system);

// Installs the translation for language into the running application. The tables' files
// never change with it.
void installWindowLanguage(const QString& language);
