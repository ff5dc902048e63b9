#pragma once

#include <QByteArray>

// Markup that makes an HTML parser work hard, for the hostile routes and the benchmark.
enum class HostileMarkup {
    SelfClosingDivs,      // "<div/>" repeated: every one opens a div
    EmptyCommentThenDivs, // "<!-->" is a whole comment, and the divs after it count
    FormattingAmplifier,  // 500 nested formatting elements, then paragraphs that reopen them
    Links,                // links to distinct pages
    Pictures,             // distinct pictures
};
QByteArray hostileMarkup(HostileMarkup kind, int count);

// Query pages: a chain where each page links the next under a new query, far longer than a
// crawl should follow, and a listing whose pages link their neighbours, the first and the last.
inline constexpr int kQueryChainPages = 1'000;
inline constexpr int kListingPages = 300;

// The hostile routes' sizes.
inline constexpr int kFanOutPages = 1 + 6 + 36 + 216; // three levels of six frames each
inline constexpr int kHostileFloodCount = 250'000;
inline constexpr int kAmplifierParagraphs = 2'000;

// JPEG markers as a camera writes them: application blocks of `before` bytes in all, then the
// frame header, then an empty scan filled to byteSize. Only a header reader can read it.
QByteArray jpegMarkers(int width, int height, qint64 before, qint64 byteSize);

// The probe routes' pictures.
inline constexpr int kProbeWidth = 640;
inline constexpr int kProbeHeight = 480;
inline constexpr int kProbePictureBytes = 300'000;

// The pages that a browser reads though they never finish: six good pictures beside one
// that trickles, and a page of many pictures.
inline constexpr int kSixPictures = 6;
inline constexpr int kHostilePictureCount = 100'000;
