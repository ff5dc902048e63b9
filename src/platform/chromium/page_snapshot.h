#pragma once

#include "platform/document.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

// A style sheet of a page: its address and its text, or nothing where the page could not
// read it (a sheet of another origin).
struct StyleSheetText {
    QString address;
    std::optional<QString> text;
};

// What the snapshot script returned, built into the snapshot classes the core reads.
struct PageSnapshot {
    DocumentPtr document; // null when the result was not a snapshot
    QList<StyleSheetText> styleSheets;
};

// window: the top page's window; frames get a window that runs nothing.
PageSnapshot readPageSnapshot(const QVariant& result, const std::shared_ptr<PageWindow>& window);

// An empty HTML document at the address: "about:blank", a failed page.
DocumentPtr emptyDocument(const QString& address, const std::shared_ptr<PageWindow>& window);
