#pragma once

// Settings that Chromium reads once, when the application object is made: call this first.
// The pages are searched, not browsed: no background networking, no GPU, and Chromium's
// sandbox off only when the program runs as root, where Chromium refuses to start with it.
void prepareChromiumRuntime();
