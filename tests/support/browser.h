// Headless Chromium for the page tests: the DOM a page makes, what a page
// loads and links once the browser has opened it, and screenshots.
#pragma once

#include <string>
#include <vector>

namespace testutil {

// Whether the chromium browser can be run.
bool have_chromium();

// What headless Chromium makes of the page at path: its DOM as text. False
// when chromium fails, with its error output in dom.
bool browser_dom(const std::string& path, std::string& dom);

// What each page of paths loaded and links to once opened in the browser,
// one line each, in one browser run: "page PATH-URL" first, then "img WIDTH
// URL" for every image (WIDTH its natural width, 0 when it did not load),
// "media URL" for every video, video source and audio, and "link URL" for
// every link. False when chromium fails, with its error output in lines[0].
bool browser_resources(const std::vector<std::string>& paths, std::vector<std::string>& lines);

// Writes a PNG screenshot of the page at path, width x height pixels.
bool browser_screenshot(const std::string& path, const std::string& png, unsigned width, unsigned height);

}  // namespace testutil
