#include "tests/support/browser.h"

#include <cctype>
#include <cstdio>
#include <sstream>

#include "tests/support/test_util.h"

namespace testutil {

namespace {

// The browser's own command line: headless, with a fresh profile.
std::vector<std::string> chromium(const TempDir& profile) {
  return {"chromium", "--headless", "--disable-gpu", "--no-sandbox", "--user-data-dir=" + profile.path()};
}

// A page that opens the pages under test one after another in a frame and,
// once a frame and everything in it has loaded, lists what it loaded and
// links to. File pages may read each other only with
// --allow-file-access-from-files.
const char* const inspector = R"(<html><body><pre id="out">not loaded</pre><script>
const pages = decodeURIComponent(location.hash.substring(1)).split('\n');
const lines = [];
function inspect(i) {
  if (i == pages.length) {
    document.getElementById('out').textContent = lines.join('\n');
    return;
  }
  const frame = document.createElement('iframe');
  frame.onload = () => {
    const d = frame.contentDocument;
    lines.push('page ' + pages[i]);
    for (const img of d.images) lines.push('img ' + img.naturalWidth + ' ' + img.src);
    for (const m of d.querySelectorAll('video[src], video source, audio')) lines.push('media ' + m.src);
    for (const a of d.querySelectorAll('a[href]')) lines.push('link ' + a.href);
    frame.remove();
    inspect(i + 1);
  };
  frame.src = pages[i];
  document.body.appendChild(frame);
}
inspect(0);
</script></body></html>
)";

std::string unescape_html(std::string s) {
  const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""},
                                                          {"&amp;", "&"}};
  for (const auto& [entity, text] : entities) {
    for (size_t at = s.find(entity); at != std::string::npos; at = s.find(entity, at + 1))
      s.replace(at, std::string(entity).size(), text);
  }
  return s;
}

std::string file_url(const std::string& path) {
  std::string url = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::string("/-_.~").find(static_cast<char>(c)) != std::string::npos) {
      url += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      url += hex;
    }
  }
  return url;
}

}  // namespace

bool have_chromium() { return run_program({"chromium", "--version"}, nullptr, nullptr) == 0; }

bool browser_dom(const std::string& path, std::string& dom) {
  TempDir profile;
  std::vector<std::string> argv = chromium(profile);
  argv.insert(argv.end(), {"--dump-dom", file_url(path)});
  std::string err;
  if (run_program(argv, &dom, &err) != 0) {
    dom = err;
    return false;
  }
  return true;
}

bool browser_resources(const std::vector<std::string>& paths, std::vector<std::string>& lines) {
  TempDir work;
  write_file(work / "inspect.html", inspector);
  std::string list;
  for (const std::string& path : paths) list += (list.empty() ? "" : "%0A") + file_url(path);
  std::vector<std::string> argv = chromium(work);
  argv.insert(argv.end(), {"--allow-file-access-from-files", "--virtual-time-budget=60000", "--dump-dom",
                           file_url(work / "inspect.html") + "#" + list});
  std::string dom, err;
  lines.clear();
  if (run_program(argv, &dom, &err) != 0) {
    lines.push_back(err);
    return false;
  }
  const size_t start = dom.find("<pre id=\"out\">");
  const size_t end = dom.find("</pre>");
  if (start == std::string::npos || end == std::string::npos) {
    lines.push_back(dom);
    return false;
  }
  std::istringstream in(unescape_html(dom.substr(start + 14, end - start - 14)));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return true;
}

bool browser_screenshot(const std::string& path, const std::string& png, unsigned width, unsigned height) {
  TempDir profile;
  std::vector<std::string> argv = chromium(profile);
  argv.insert(argv.end(), {"--hide-scrollbars", "--window-size=" + std::to_string(width) + "," + std::to_string(height),
                           "--screenshot=" + png, file_url(path)});
  return run_program(argv, nullptr, nullptr) == 0 && exists(png);
}

}  // namespace testutil
