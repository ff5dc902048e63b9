#include "app/window/source_view.h"

#include "platform/browser.h"
#include "text/address_kinds.h"

SourceView::SourceView(const QList<Browser*>& browsers, QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setPlainText(QStringLiteral("RichTextBox1"));
    for (Browser* browser : browsers) {
        connect(browser, &Browser::documentComplete, this,
                [this, browser] { pageCompleted(browser); });
    }
}

void SourceView::showEvent(QShowEvent* event)
{
    QPlainTextEdit::showEvent(event);
    if (m_stale)
        render();
}

void SourceView::pageCompleted(Browser* browser)
{
    // A slot going back to "about:blank" is not a page worth showing.
    if (isAboutBlank(browser->locationURL()))
        return;
    const DocumentPtr document = browser->document();
    if (!document)
        return;
    m_source = document->documentElementOuterHTML().left(maxShownCharacters);
    m_stale = true;
    if (isVisible())
        render();
}

void SourceView::render()
{
    m_stale = false;
    setPlainText(m_source);
}
