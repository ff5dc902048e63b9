#pragma once

class TestSite;

// The pages of the test site that name their pictures as present-day pages do: srcset,
// lazy loading, social and icon links, posters, objects, SVG, imported style sheets,
// image-set(), links to pictures, and addresses without an extension. Under "/modern/".
void addModernRoutes(TestSite& site);
