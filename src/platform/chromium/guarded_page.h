#pragma once

#include <QWebEnginePage>

#include <functional>

// A page that cannot reach the user: its dialogs never show, its pop-ups and its closing of
// the window are refused, it navigates to http and https only, and every permission it asks
// for is denied.
class GuardedPage : public QWebEnginePage {
    Q_OBJECT
public:
    GuardedPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // "about:blank" is let through once, for the reset of a slot.
    void allowBlankOnce() { m_blankAllowed = true; }

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;

private:
    bool m_blankAllowed = false;
};
