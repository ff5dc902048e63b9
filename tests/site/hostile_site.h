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

// The hostile routes' sizes.
inline constexpr int kFanOutPages = 1 + 6 + 36 + 216; // three levels of six frames each
inline constexpr int kHostileFloodCount = 250'000;
inline constexpr int kAmplifierParagraphs = 2'000;
// The pages that a browser reads though they never finish: six good pictures beside one
// that trickles, and a page of many pictures.
inline constexpr int kSixPictures = 6;
inline constexpr int kHostilePictureCount = 100'000;
