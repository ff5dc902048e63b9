#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// The window's language: "zh" shows the texts as written (Chinese), "en" the English
// translation. --lang en|zh chooses; without it a Chinese system locale gets Chinese and any
// other English. Nothing when --lang names another language.
std::optional<QString> windowLanguage(const QStringList& arguments, const QLocale& system);

// Installs the translation for language into the running application, with Qt's own texts
// in Chinese for "zh". The tables' files never change with it. False when Qt's Chinese
// texts are not installed (the window then shows Qt's buttons in English).
bool installWindowLanguage(const QString& language);
