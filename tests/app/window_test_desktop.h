#pragma once

#include "app/window/desktop.h"

#include <QFileDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

// Answers the window's questions in the user's place and records what the window asked.
class TestDesktop final : public Desktop {
public:
    struct Shared {
        bool answerYes = false;
        SaveChoice saveChoice = SaveChoice::Cancel;
        std::optional<QString> file;   // what the save dialog gives
        std::optional<QString> folder; // what the folder dialog gives
        QStringList questions;
        QStringList failures;
        QList<QUrl> opened;
        QString dialogSuffix;
        QStringList dialogFilters;
        bool dialogSaves = false;
    };

    explicit TestDesktop(Shared& shared) : m(shared) {}

    bool askYesNo(QWidget*, const QString& title, const QString& text) override
    {
        m.questions.append(title + QLatin1Char('|') + text);
        return m.answerYes;
    }
    SaveChoice askSave(QWidget*, const QString& title, const QString& text) override
    {
        m.questions.append(title + QLatin1Char('|') + text);
        return m.saveChoice;
    }
    std::optional<QString> chooseFile(QFileDialog& dialog) override
    {
        m.dialogSuffix = dialog.defaultSuffix();
        m.dialogFilters = dialog.nameFilters();
        m.dialogSaves = dialog.acceptMode() == QFileDialog::AcceptSave;
        return m.file;
    }
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return m.folder; }
    void tellFailure(QWidget*, const QString&, const QString& text) override
    {
        m.failures.append(text);
    }
    void openUrl(const QUrl& url) override { m.opened.append(url); }

private:
    Shared& m;
};
