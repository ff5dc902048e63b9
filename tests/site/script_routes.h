#pragma once

class TestSite;

// Pages that build themselves with scripts, under /js/: pictures made by createElement, by
// innerHTML, from a JSON file, by a lazy loader on scroll, a menu built by script; pages that
// raise every kind of dialog and pop-up; a page that never settles. They use the canned
// site's pictures.
void addScriptRoutes(TestSite& site);
