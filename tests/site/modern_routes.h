#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class TestSite;

// One picture of the present-day pages: a real one, made by Qt's picture writers (or written
// out for SVG), each of its own width and height.
struct ModernPicture {
    QString path; // under "/modern/"
    QByteArray contentType;
    QByteArray body;
};

// Every picture the present-day pages name, made once per process.
const QList<ModernPicture>& modernPictures();

// The pages of the test site that name their pictures as present-day pages do: srcset,
// lazy loading, social and icon links, posters, objects, SVG, imported style sheets,
// image-set(), links to pictures, and addresses without an extension. Under "/modern/".
void addModernRoutes(TestSite& site);
