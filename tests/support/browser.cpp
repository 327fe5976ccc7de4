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

// Opens the pages of the list in the address's fragment (JSON: pages,
// width, height, axe) in a frame one after another and lists what a
// visitor meets; see browser_visit.
const char* const visitor = R"(<html><body><pre id="out">not loaded</pre><script>
const job = JSON.parse(decodeURIComponent(location.hash.substring(1)));
const out = [];
const frame = document.createElement('iframe');
frame.style.cssText = 'border:0;width:' + job.width + 'px;height:' + job.height + 'px';
document.body.appendChild(frame);
const loaded = () => new Promise(done => { frame.onload = done; });
// What never ends (a key that leads nowhere) ends after ms of the page's time.
const within = (promise, ms) => Promise.race([promise, new Promise(done => setTimeout(done, ms))]);
async function visit(page) {
  let ready = loaded();
  frame.src = page;
  await within(ready, 20000);
  const d = frame.contentDocument;
  out.push('page ' + page);
  out.push('scroll ' + d.documentElement.scrollWidth + ' ' + d.documentElement.clientWidth);
  for (const img of d.images) img.loading = 'eager';
  await within(Promise.all(Array.from(d.images, img => img.decode().catch(() => {}))), 20000);
  for (const img of d.images) out.push('img ' + (img.complete && img.naturalWidth > 0 ? 'loaded ' : 'broken ') + img.currentSrc);
  if (job.axe) {
    const script = d.createElement('script');
    const added = new Promise(done => { script.onload = done; script.onerror = done; });
    script.src = job.axe;
    d.head.appendChild(script);
    await within(added, 20000);
    const result = await frame.contentWindow.axe.run(d, {preload: false});
    for (const rule of result.violations)
      for (const node of rule.nodes) out.push('axe ' + rule.impact + ' ' + rule.id + ' ' + node.target.join(' '));
  }
  const next = d.getElementById('next');
  if (next) {
    ready = loaded();
    d.dispatchEvent(new KeyboardEvent('keydown', {key: 'ArrowRight', bubbles: true}));
    await within(ready, 20000);
    out.push('key ArrowRight ' + frame.contentWindow.location.href + ' ' + next.href);
  }
}
(async () => {
  try {
    for (const page of job.pages) {
      await visit(page);
      document.getElementById('out').textContent = out.join('\n');
    }
  } catch (e) {
    out.push('error ' + e);
  }
  document.getElementById('out').textContent = out.join('\n');
})();
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

// s as a JSON string.
std::string json(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// The lines between <pre id="out"> and </pre> of the DOM Chromium dumped.
bool read_out(const std::string& dom, std::vector<std::string>& lines) {
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
  return read_out(dom, lines);
}

std::string axe_script() { return PICTORA_SOURCE_DIR "/.test-tools/node_modules/axe-core/axe.min.js"; }

bool browser_visit(const std::vector<std::string>& paths, unsigned width, unsigned height, unsigned scale,
                   const std::string& axe, std::vector<std::string>& lines) {
  TempDir work;
  write_file(work / "visit.html", visitor);
  std::string job = "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                    ",\"axe\":" + json(axe.empty() ? "" : file_url(axe)) + ",\"pages\":[";
  for (size_t i = 0; i < paths.size(); ++i) job += (i ? "," : "") + json(file_url(paths[i]));
  job += "]}";
  std::string fragment;
  for (unsigned char c : job) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    fragment += hex;
  }
  std::vector<std::string> argv = chromium(work);
  argv.insert(argv.end(), {"--allow-file-access-from-files", "--virtual-time-budget=120000",
                           "--force-device-scale-factor=" + std::to_string(scale),
                           "--window-size=" + std::to_string(width + 100) + "," + std::to_string(height + 100),
                           "--dump-dom", file_url(work / "visit.html") + "#" + fragment});
  std::string dom, err;
  lines.clear();
  if (run_program(argv, &dom, &err) != 0) {
    lines.push_back(err);
    return false;
  }
  return read_out(dom, lines);
}

bool browser_screenshot(const std::string& path, const std::string& png, unsigned width, unsigned height) {
  TempDir profile;
  std::vector<std::string> argv = chromium(profile);
  argv.insert(argv.end(), {"--hide-scrollbars", "--window-size=" + std::to_string(width) + "," + std::to_string(height),
                           "--screenshot=" + png, file_url(path)});
  return run_program(argv, nullptr, nullptr) == 0 && exists(png);
}

}  // namespace testutil
