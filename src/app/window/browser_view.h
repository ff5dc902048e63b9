#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class Browser;
class QLineEdit;
class QTextEdit;

// Wb1(i): what the browser of one slot shows: its current address, and its page as a
// read-only view. The page is rendered only when the view is visible, so that loading in
// the background costs nothing.
class BrowserView : public QWidget {
    Q_OBJECT
public:
    // Longer pages are shown up to this many characters.
    static constexpr int maxShownCharacters = 512 * 1024;

    // livePage: a view that shows the browser's live page (the Chromium engine), taken in
    // place of the rendered snapshot.
    explicit BrowserView(Browser& browser, QWidget* parent = nullptr, QWidget* livePage = nullptr);

    QString shownAddress() const;
    QString shownText() const; // the page as plain text, once rendered

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showAddress();
    void pageCompleted();
    void render();

    Browser& m_browser;
    QLineEdit* m_address;
    QTextEdit* m_page;
    QPointer<QWidget> m_livePage;
    bool m_stale = false;
};
