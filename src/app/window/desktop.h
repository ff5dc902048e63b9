#pragma once

#include <QString>
#include <QUrl>

#include <optional>

class QFileDialog;
class QWidget;

// The answers to a question about unsaved work.
enum class SaveChoice { Save, Discard, Cancel };

// What the window asks of the user and the desktop: questions, file and folder choices,
// messages, and opening addresses in their default handler. The tests answer in the
// user's place.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual SaveChoice askSave(QWidget* parent, const QString& title, const QString& text) = 0;
    // The file chosen in the prepared dialog, or nothing when the user cancelled.
    virtual std::optional<QString> chooseFile(QFileDialog& dialog) = 0;
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& caption) = 0;
    virtual void tellFailure(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void openUrl(const QUrl& url) = 0;
};

class SystemDesktop final : public Desktop {
public:
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
    SaveChoice askSave(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> chooseFile(QFileDialog& dialog) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& caption) override;
    void tellFailure(QWidget* parent, const QString& title, const QString& text) override;
    void openUrl(const QUrl& url) override;
};

// Hands the address to the desktop only when it is an http or https address with a host;
// other schemes (file:, javascript:, custom handlers) are never opened. True when handed on.
bool openWebAddress(Desktop& desktop, const QString& address);
