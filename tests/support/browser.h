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

// What a visitor's browser makes of each page of paths, opened one after
// another in a frame of width x height CSS pixels at `scale` device pixels
// to the CSS pixel, in one browser run, one line each: "page URL" first,
// then "scroll SCROLL-WIDTH CLIENT-WIDTH" of the page once loaded, "img
// loaded URL" or "img broken URL" for every image (lazy ones made to load,
// URL the candidate the browser chose), "axe IMPACT RULE TARGET" for every
// element the accessibility checker axe-core (the file `axe`) finds
// failing a rule, and, on a page with an element of id "next", "key
// ArrowRight WHERE NEXT": where the ArrowRight key took the frame, and that
// element's address. False when chromium fails, with its error output in
// lines[0].
bool browser_visit(const std::vector<std::string>& paths, unsigned width, unsigned height, unsigned scale,
                   const std::string& axe, std::vector<std::string>& lines);

// Where the page tests find axe-core: what scripts/deps.sh --tests installs.
std::string axe_script();

// Writes a PNG screenshot of the page at path, width x height pixels.
bool browser_screenshot(const std::string& path, const std::string& png, unsigned width, unsigned height);

}  // namespace testutil
