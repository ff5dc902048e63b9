#include "app/window/browser_view.h"

#include "platform/browser.h"

#include <QAbstractTextDocumentLayout>
#include <QLineEdit>
#include <QPainter>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextObjectInterface>
#include <QVBoxLayout>

namespace {

// A web page's markup names images, style sheets and the like. None of them is fetched or
// read from disk for this view: a page could name /dev/zero or a pipe, and the rich-text
// engine would read it on the window's thread.
class NoResourceDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

// Draws an image as an empty frame of its stated size, instead of loading it.
class ImagePlaceholders : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override
    {
        const QTextImageFormat image = format.toImageFormat();
        const auto side = [](qreal stated) { return stated > 0 ? qMin(stated, 2000.0) : 16.0; };
        return {side(image.width()), side(image.height())};
    }
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat&) override
    {
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    }
};

} // namespace

BrowserView::BrowserView(Browser& browser, QWidget* parent, QWidget* livePage)
    : QWidget(parent), m_browser(browser), m_address(new QLineEdit(this)),
      m_page(new QTextEdit(this)), m_livePage(livePage)
{
    m_address->setReadOnly(true);
    m_page->setReadOnly(true);
    m_page->setDocument(new NoResourceDocument(m_page));
    m_page->document()->documentLayout()->registerHandler(QTextFormat::ImageObject,
                                                          new ImagePlaceholders(m_page));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_address);
    layout->addWidget(m_page, 1);
    if (m_livePage) {
        m_page->hide();
        m_livePage->setAttribute(Qt::WA_DontShowOnScreen, false);
        layout->addWidget(m_livePage, 1);
        m_livePage->show();
    }

    connect(&browser, &Browser::navigateComplete2, this, &BrowserView::showAddress);
    connect(&browser, &Browser::documentComplete, this, &BrowserView::pageCompleted);
    showAddress();
}

QString BrowserView::shownAddress() const
{
    return m_address->text();
}

QString BrowserView::shownText() const
{
    return m_page->toPlainText();
}

void BrowserView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        render();
}

void BrowserView::showAddress()
{
    m_address->setText(m_browser.locationURL());
}

void BrowserView::pageCompleted()
{
    showAddress();
    if (m_livePage)
        return; // the live page shows itself
    m_stale = true;
    if (isVisible())
        render();
}

void BrowserView::render()
{
    m_stale = false;
    const DocumentPtr document = m_browser.document();
    if (!document) {
        m_page->clear();
        return;
    }
    const QString markup = document->documentElementOuterHTML().left(maxShownCharacters);
    if (document->isHtml())
        m_page->setHtml(markup);
    else
        m_page->setPlainText(markup);
}

#include "browser_view.moc"
