#include "platform/chromium/snapshot_script.h"

#include "platform/html/html_snapshot.h"
#include "platform/html/nesting_guard.h"

namespace {

// The reader lives in the snapshot's own world, under this name, between two slices.
#define QUORVANE_READER "__quorvaneSnapshotReader"

// Sets up the reader of the page and gives its first slice. %1: elements at most, %2:
// attributes a tag, %3: attributes a page, %4: attribute text a page, %5: documents a page.
const char* const kStartScript = R"js((() => {
  const MAX_ELEMENTS = %1;
  const MAX_TAG_ATTRIBUTES = %2;
  const MAX_PAGE_ATTRIBUTES = %3;
  const MAX_ATTRIBUTE_TEXT = %4;
  const MAX_DOCUMENTS = %5;
  const MAX_FRAME_DEPTH = 8;
  // Walking this long is one slice: the page's own tasks run between two.
  const SLICE_MS = 100;
  // outerHTML and innerHTML of nested elements repeat each other: bounded, for pages of
  // thousands of nested elements. Serializing a large subtree only to find it too long
  // would cost as much as the page, so elements of many descendants are left without.
  const ELEMENT_TEXT_LIMIT = 256 * 1024;
  const MARKUP_DESCENDANTS = 2000;
  const MARKUP_LIMIT = 32 * 1024 * 1024;
  let textBudget = 32 * 1024 * 1024;
  let elementsLeft = MAX_ELEMENTS;
  let attributesLeft = MAX_PAGE_ATTRIBUTES;
  let attributeTextLeft = MAX_ATTRIBUTE_TEXT;
  let cut = '';
  const HTML_NS = 'http://www.w3.org/1999/xhtml';
  // The picture kinds of resource timing: what IMG, SVG image, INPUT, video posters and
  // style sheets load.
  const PICTURE_INITIATORS = new Set(['img', 'image', 'input', 'css', 'video']);

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
  const addSheet = (href, text) => {
    if (!href || seenSheets.has(href)) return;
    seenSheets.add(href);
    sheets.push([href, text]);
  };
  const visitSheet = (sheet) => {
    if (!sheet) return;
    let rules = null;
    try { rules = sheet.cssRules; } catch (e) {}
    // A sheet without rules may be one that failed to load (missing, or refused for its
    // type): read from its bytes, as one of another origin is.
    addSheet(sheet.href, rules && rules.length ? Array.from(rules, (rule) => rule.cssText).join('\n') : null);
    if (!rules) return;
    for (const rule of rules) {
      if (rule.styleSheet) visitSheet(rule.styleSheet);
    }
  };

  const fewDescendants = (element) => {
    if (!element.firstElementChild) return true;
    let count = 0;
    let node = element.firstElementChild;
    while (node) {
      if (++count > MARKUP_DESCENDANTS) return false;
      if (node.firstElementChild) { node = node.firstElementChild; continue; }
      while (node && node !== element && !node.nextElementSibling) node = node.parentElement;
      if (!node || node === element) break;
      node = node.nextElementSibling;
    }
    return true;
  };

  const markupOf = (element, members) => {
    delete members.outerhtml; // an attribute of that name is not the markup
    delete members.innerhtml;
    if (textBudget <= 0 || !fewDescendants(element)) return;
    // An element without content has no inner markup to give.
    const parts = element.firstChild ? [['outerhtml', () => element.outerHTML], ['innerhtml', () => element.innerHTML]]
      : [['outerhtml', () => element.outerHTML]];
    for (const [name, read] of parts) {
      const text = read();
      if (typeof text !== 'string' || text.length > ELEMENT_TEXT_LIMIT) continue;
      textBudget -= text.length;
      members[name] = text;
    }
  };

  // Every picture resource the page and its frames loaded, with its size.
  const pictureSizes = new Map();
  const resourceSizes = (win) => {
    const sizes = new Map();
    try {
      for (const entry of win.performance.getEntriesByType('resource')) {
        const size = entry.decodedBodySize > 0 ? entry.decodedBodySize : entry.encodedBodySize;
        if (!(size > 0)) continue;
        sizes.set(entry.name, size);
        if (PICTURE_INITIATORS.has(entry.initiatorType)) pictureSizes.set(entry.name, size);
      }
    } catch (e) {}
    return sizes;
  };

  const documents = [];
  const open = (doc, depth, enclosing) => {
    if (documents.length >= MAX_DOCUMENTS) return -1;
    documents.push({ doc, depth, enclosing, list: null, total: 0, index: 0, sizes: null });
    return documents.length - 1;
  };
  let current = 0;

  const header = (id, entry) => {
    const doc = entry.doc;
    const type = (doc.contentType || '').toLowerCase();
    const body = doc.body;
    entry.sizes = resourceSizes(doc.defaultView);
    try { for (const sheet of doc.styleSheets) visitSheet(sheet); } catch (e) {}
    const all = doc.getElementsByTagName('*');
    entry.total = all.length;
    entry.list = Array.prototype.slice.call(all, 0, elementsLeft);
    return {
      id,
      html: type === 'text/html' || type === 'application/xhtml+xml' || type.startsWith('image/'),
      title: doc.title || '',
      url: doc.URL,
      base: doc.baseURI || '',
      location: doc.location ? doc.location.href : doc.URL,
      bodyBackground: body && body.parentNode === doc.documentElement && body.hasAttribute('background')
        ? body.getAttribute('background') : null,
    };
  };

  // A frame of another origin, one that holds a page enclosing it, or one too deep reads as
  // nothing, as does one that did not load.
  const frameOf = (element, entry) => {
    if (entry.depth + 1 > MAX_FRAME_DEPTH) return -1;
    let doc = null;
    try { doc = element.contentDocument; } catch (e) {}
    if (!doc) return -1;
    const source = (element.getAttribute('src') || '').trim();
    const address = doc.URL.split('#')[0];
    if (address === 'about:blank' && source !== '' && source.toLowerCase() !== 'about:blank') return -1;
    if (entry.enclosing.includes(address)) return -1;
    return open(doc, entry.depth + 1, entry.enclosing.concat([address]));
  };

  // One element as fields of the slice's text, each ended by U+0000: document, tag, link (1
  // or 0), frame (the id of the frame's document, -1 for a frame that gives nothing, -2 for
  // an element that is no frame), the count of members, then each member's name and value.
  // One text crosses into the program much faster than as many small objects.
  const field = (slice, text) => { slice.text.push(String(text).replace(/\u0000/g, '\ufffd')); };
  const readElement = (element, id, entry, slice) => {
    const count = Math.min(element.attributes.length, MAX_TAG_ATTRIBUTES);
    if (count > attributesLeft) { cut = 'attributes'; return false; }
    attributesLeft -= count;
    const tag = element.tagName.toUpperCase();
    const html = element.namespaceURI === HTML_NS;
    const members = {};
    for (let i = 0; i < count; ++i) {
      const attribute = element.attributes[i];
      attributeTextLeft -= attribute.value.length;
      if (attributeTextLeft < 0) { cut = 'attribute text'; return false; }
      members[attribute.name.toLowerCase()] = attribute.value;
    }
    const base = entry.doc.baseURI;
    if ('src' in members) members.src = absolute(members.src, base);
    if ('href' in members) members.href = absolute(members.href, base);
    delete members.filesize; // only what was received counts
    if (html && tag === 'IMG' && element.complete && element.naturalWidth > 0) { // a picture, not an error page
      const address = element.currentSrc || members.src;
      const size = entry.sizes.get(members.src) || entry.sizes.get(element.currentSrc);
      if (size) members.filesize = String(size);
      if (address) slice.dimensions.push([address, element.naturalWidth, element.naturalHeight]);
    }
    markupOf(element, members);
    const link = html && (tag === 'A' || tag === 'AREA') && 'href' in members;
    const frame = html && (tag === 'FRAME' || tag === 'IFRAME') ? frameOf(element, entry) : null;
    const names = Object.keys(members);
    slice.text.push(String(id), tag, link ? '1' : '0', String(frame === null ? -2 : frame), String(names.length));
    for (const name of names) { field(slice, name); field(slice, members[name]); }
    ++slice.count;
    --elementsLeft;
    return true;
  };

  const markupText = (doc) => {
    const root = doc.documentElement;
    const text = root ? root.outerHTML : '';
    return text.length > MARKUP_LIMIT ? text.substring(0, MARKUP_LIMIT) : text;
  };

  const finished = (slice) => {
    slice.rows = slice.text.length ? slice.text.join('\u0000') + '\u0000' : '';
    delete slice.text;
    delete slice.count;
    return slice;
  };

  const next = () => {
    const until = performance.now() + SLICE_MS;
    const slice = { documents: [], text: [], count: 0, dimensions: [], markups: [], done: false };
    while (current < documents.length) {
      const entry = documents[current];
      if (!entry.list) slice.documents.push(header(current, entry));
      while (entry.index < entry.list.length && !cut) {
        if ((slice.count & 63) === 63 && performance.now() >= until) return finished(slice);
        if (!readElement(entry.list[entry.index], current, entry, slice)) break;
        ++entry.index;
      }
      if (!cut && entry.total > entry.list.length) cut = 'elements';
      slice.markups.push([current, markupText(entry.doc)]);
      entry.list = [];
      ++current;
      if (performance.now() >= until) return finished(slice);
    }
    slice.sheets = sheets;
    slice.pictures = Array.from(pictureSizes);
    slice.cut = cut;
    slice.done = true;
    return finished(slice);
  };

  open(document, 0, [document.URL.split('#')[0]]);
  globalThis[')js" QUORVANE_READER R"js('] = { next };
  const first = next();
  first.start = performance.timeOrigin;
  return first;
})())js";

const char* const kNextScript = R"js((() => {
  const reader = globalThis[')js" QUORVANE_READER R"js('];
  return reader ? reader.next() : null;
})())js";

} // namespace

QString snapshotScript()
{
    return QString::fromLatin1(kStartScript)
        .arg(kMaxElements)
        .arg(ParseBounds::kMaxAttributes)
        .arg(ParseBounds::kMaxPageAttributes)
        .arg(kMaxSnapshotAttributeText)
        .arg(kMaxSnapshotDocuments);
}

QString snapshotNextSliceScript()
{
    return QString::fromLatin1(kNextScript);
}
