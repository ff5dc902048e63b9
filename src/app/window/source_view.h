#pragma once

#include <QList>
#include <QPlainTextEdit>

class Browser;

// RichTextBox1, the "源代码" tab: the markup of the page that completed last in any slot,
// read-only. Filled only when visible, so that the search does not pay for it.
class SourceView : public QPlainTextEdit {
    Q_OBJECT
public:
    // Longer sources are shown up to this many characters.
    static constexpr int maxShownCharacters = 4 * 1024 * 1024;

    explicit SourceView(const QList<Browser*>& browsers, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void pageCompleted(Browser* browser);
    void render();

    QString m_source;
    bool m_stale = false;
};
