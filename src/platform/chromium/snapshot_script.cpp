#include "platform/chromium/snapshot_script.h"

namespace {

const char* const kScript = R"js((() => {
  const MAX_FRAME_DEPTH = 8;
  // outerHTML and innerHTML of nested elements repeat each other: bounded, for pages of
  // thousands of nested elements.
  const ELEMENT_TEXT_LIMIT = 256 * 1024;
  let textBudget = 32 * 1024 * 1024;
  const HTML_NS = 'http://www.w3.org/1999/xhtml';

  // As the DOM gives src and href: absolute, for http and https; other schemes as written.
  const absolute = (value, base) => {
    const cleaned = value.replace(/[\t\n\r]/g, '').replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, '');
    try {
      const url = new URL(cleaned, base);
      if (url.protocol === 'http:' || url.protocol === 'https:') return url.href;
    } catch (e) {}
    return cleaned;
  };

  const sheets = [];
  const seenSheets = new Set();
  const visitSheet = (sheet) => {
    if (!sheet) return;
    let rules = null;
    try { rules = sheet.cssRules; } catch (e) {}
    if (sheet.href && !seenSheets.has(sheet.href)) {
      seenSheets.add(sheet.href);
      sheets.push([sheet.href, rules ? Array.from(rules, (rule) => rule.cssText).join('\n') : null]);
    }
    if (!rules) return;
    for (const rule of rules) {
      if (rule.styleSheet) visitSheet(rule.styleSheet);
    }
  };

  const markupOf = (element, members) => {
    for (const [name, read] of [['outerhtml', () => element.outerHTML], ['innerhtml', () => element.innerHTML]]) {
      delete members[name]; // an attribute of that name is not the markup
      if (textBudget <= 0) continue;
      const text = read();
      if (typeof text !== 'string' || text.length > ELEMENT_TEXT_LIMIT) continue;
      textBudget -= text.length;
      members[name] = text;
    }
  };

  const readDocument = (doc, depth, enclosing) => {
    const win = doc.defaultView;
    const base = doc.baseURI;
    const type = (doc.contentType || '').toLowerCase();
    const sizes = new Map();
    try {
      for (const entry of win.performance.getEntriesByType('resource')) {
        if (entry.encodedBodySize > 0) sizes.set(entry.name, entry.encodedBodySize);
      }
    } catch (e) {}
    try { for (const sheet of doc.styleSheets) visitSheet(sheet); } catch (e) {}

    const elements = [];
    const links = [];
    const frames = [];
    for (const element of doc.getElementsByTagName('*')) {
      const tag = element.tagName.toUpperCase();
      const html = element.namespaceURI === HTML_NS;
      const members = {};
      for (const attribute of element.attributes) members[attribute.name.toLowerCase()] = attribute.value;
      if ('src' in members) members.src = absolute(members.src, base);
      if ('href' in members) members.href = absolute(members.href, base);
      delete members.filesize; // only what was received counts
      if (html && tag === 'IMG' && element.complete && element.naturalWidth > 0) { // a picture, not an error page
        const size = sizes.get(members.src) || sizes.get(element.currentSrc);
        if (size) members.filesize = String(size);
      }
      markupOf(element, members);
      elements.push([tag, members]);
      if (html && (tag === 'A' || tag === 'AREA') && 'href' in members) links.push(elements.length - 1);
      if (html && (tag === 'FRAME' || tag === 'IFRAME')) frames.push(readFrame(element, depth, enclosing));
    }
    const body = doc.body;
    const bodyBackground = body && body.parentNode === doc.documentElement && body.hasAttribute('background')
      ? body.getAttribute('background') : null;
    const root = doc.documentElement;
    return {
      html: type === 'text/html' || type === 'application/xhtml+xml' || type.startsWith('image/'),
      title: doc.title || '',
      url: doc.URL,
      base: doc.baseURI || '',
      location: doc.location ? doc.location.href : doc.URL,
      bodyBackground,
      markup: root ? root.outerHTML : '',
      elements,
      links,
      frames,
    };
  };

  // A frame of another origin, one that holds a page enclosing it, or one too deep reads as
  // nothing, as does one that did not load.
  const readFrame = (element, depth, enclosing) => {
    if (depth + 1 > MAX_FRAME_DEPTH) return null;
    let doc = null;
    try { doc = element.contentDocument; } catch (e) {}
    if (!doc) return null;
    const source = (element.getAttribute('src') || '').trim();
    const address = doc.URL.split('#')[0];
    if (address === 'about:blank' && source !== '' && source.toLowerCase() !== 'about:blank') return null;
    if (enclosing.includes(address)) return null;
    return readDocument(doc, depth + 1, enclosing.concat([address]));
  };

  const page = readDocument(document, 0, [document.URL.split('#')[0]]);
  return { page, sheets };
})())js";

} // namespace

QString snapshotScript()
{
    return QString::fromLatin1(kScript);
}
