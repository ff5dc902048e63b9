#pragma once

#include "platform/element.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class Document;
using DocumentPtr = std::shared_ptr<const Document>;

// What an engine puts into a snapshot.
struct DocumentData {
    bool isHtml = true;
    QString title;
    QString url;      // the document's address (after redirects)
    QString location; // the full address as the page's location gives it
    QString baseUrl;  // what <base href> declares; empty when the document declares none
    std::optional<QString> bodyBackground; // raw, as written; nothing without a body or attribute
    std::shared_ptr<const QString> markup;  // documentElement's outer HTML
    // Every element of the document in document order, with the links among them: anchors
    // with an href and image-map areas. Their spans are read from markup.
    ElementStore elements;
    QList<DocumentPtr> frames; // in frame order; null where access is refused
    // The same page read once more from its bytes, when its snapshot stopped short at a cap
    // or its time: what the snapshot left out is there. Null for a page read whole.
    DocumentPtr restOfPage;
};

// An immutable snapshot of a completed page, as the core reads it.
class Document {
public:
    explicit Document(DocumentData data);

    bool isHtml() const { return d.isHtml; }
    QString title() const { return d.title; }
    QString URL() const { return d.url; }
    QString location() const { return d.location; }
    // The address that the document's relative references resolve against.
    QString baseURI() const { return d.baseUrl.isEmpty() ? d.url : d.baseUrl; }
    std::optional<QString> bodyBackground() const { return d.bodyBackground; }
    QString documentElementOuterHTML() const { return d.markup ? *d.markup : QString(); }
    // Tag names are matched without regard to letter case. Elements are handed out as
    // handles on the document's one element store, not copies.
    QList<Element> getElementsByTagName(const QString& tag) const;
    QList<Element> allElements() const;
    QList<Element> links() const;
    const QList<DocumentPtr>& frames() const { return d.frames; }
    const DocumentPtr& restOfPage() const { return d.restOfPage; }
    // This document with its rest read from the page's bytes; the elements stay shared.
    DocumentPtr withRestOfPage(DocumentPtr rest) const;

private:
    QList<Element> handles(const std::vector<quint32>& indices) const;

    DocumentData d; // its elements moved to m_elements
    std::shared_ptr<const ElementStore> m_elements;
};
