#include "tests/book/book_cli.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace booktest {

namespace fs = std::filesystem;

std::string run_cli(const testutil::TempDir& work, const std::vector<std::string>& args, std::string* out,
                    const std::string& path_first) {
  std::vector<std::string> argv{testutil::cli_path(), "--quiet"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = {"HOME=" + work / "home", "USER=pictora-test-nobody", "LC_ALL=C",
                                  "XDG_CONFIG_HOME=" + work / "config"};
  if (!path_first.empty()) env.push_back("PATH=" + path_first + ":" + std::getenv("PATH"));
  std::string err;
  const int status = testutil::run_program(argv, out, &err, env);
  if (status == 0) return "";
  std::string line = "pictora-cli";
  for (const std::string& arg : args) line += " '" + arg + "'";
  return line + ": exit status " + std::to_string(status) + "\n" + err;
}

std::vector<std::string> pages_below(const std::string& dir) {
  std::vector<std::string> pages;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file() && entry.path().extension() == ".html") pages.push_back(entry.path().string());
  }
  return pages;
}

namespace {

// The attribute value as the HTML parser gives it: the character
// references of the five characters of markup and numeric ones decoded,
// others left.
std::string decode_references(const std::string& v) {
  static const std::pair<const char*, char> named[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    bool decoded = false;
    for (const auto& [ref, c] : named) {
      if (v.compare(i, std::string(ref).size(), ref) == 0) {
        out += c;
        i += std::string(ref).size() - 1;
        decoded = true;
        break;
      }
    }
    if (!decoded) out += v[i];
  }
  return out;
}

// Bytes that are no UTF-8 become U+FFFD, as the parser of a UTF-8 page
// makes them.
std::string as_utf8(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = n != 0 && i + n <= s.size();
    for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (ok) {
      out.append(s, i, n);
      i += n;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

int hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percent_decoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() + 0 && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
      out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// A relative URL as a browser resolves it against a file: page: tabs and
// line breaks dropped, the fragment and query cut off, '\' read as '/',
// then the path percent-decoded. False for a URL with a scheme.
bool resolve(const std::string& page, std::string url, std::string& file, std::string& fragment) {
  std::string clean;
  for (const char c : url) {
    if (c != '\t' && c != '\n' && c != '\r') clean += c;
  }
  url = as_utf8(clean);
  const size_t colon = url.find(':');
  if (colon != std::string::npos && colon > 0 && std::isalpha(static_cast<unsigned char>(url[0])) &&
      url.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.") == colon)
    return false;
  const size_t hash = url.find('#');
  fragment = hash == std::string::npos ? "" : percent_decoded(url.substr(hash + 1));
  url = url.substr(0, hash);
  url = url.substr(0, url.find('?'));
  for (char& c : url) {
    if (c == '\\') c = '/';
  }
  file = (fs::path(page).parent_path() / percent_decoded(url)).lexically_normal().string();
  if (url.empty()) file = page;
  return true;
}

// A srcset's candidates, each URL with whether its descriptor is one a
// browser takes (none, or one of a number and "w" or "x").
std::vector<std::pair<std::string, bool>> srcset_candidates(const std::string& srcset) {
  std::vector<std::pair<std::string, bool>> out;
  size_t i = 0;
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
  while (true) {
    while (i < srcset.size() && (space(srcset[i]) || srcset[i] == ',')) ++i;
    if (i >= srcset.size()) break;
    const size_t start = i;
    while (i < srcset.size() && !space(srcset[i])) ++i;
    std::string url = srcset.substr(start, i - start);
    std::string descriptors;
    if (!url.empty() && url.back() == ',') {
      while (!url.empty() && url.back() == ',') url.pop_back();
    } else {
      const size_t end = srcset.find(',', i);
      descriptors = srcset.substr(i, end == std::string::npos ? std::string::npos : end - i);
      i = end == std::string::npos ? srcset.size() : end + 1;
    }
    std::vector<std::string> words;
    for (size_t k = 0; k < descriptors.size();) {
      while (k < descriptors.size() && space(descriptors[k])) ++k;
      const size_t from = k;
      while (k < descriptors.size() && !space(descriptors[k])) ++k;
      if (k > from) words.push_back(descriptors.substr(from, k - from));
    }
    bool valid = words.size() <= 1;
    if (words.size() == 1) {
      const std::string& w = words[0];
      valid = w.size() >= 2 && (w.back() == 'w' || w.back() == 'x') &&
              w.find_first_not_of("0123456789.") == w.size() - 1;
    }
    out.emplace_back(url, valid);
  }
  return out;
}

// The attributes of every tag of an HTML text, in order, as (name, value).
std::vector<std::pair<std::string, std::string>> attributes(const std::string& html) {
  std::vector<std::pair<std::string, std::string>> out;
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
  for (size_t i = html.find('<'); i != std::string::npos; i = html.find('<', i)) {
    if (html.compare(i, 4, "<!--") == 0) {
      i = html.find("-->", i);
      continue;
    }
    if (html.compare(i, 7, "<script") == 0) {
      i = html.find("</script>", i);
      continue;
    }
    ++i;
    if (i >= html.size() || !std::isalpha(static_cast<unsigned char>(html[i]))) continue;
    while (i < html.size() && !space(html[i]) && html[i] != '>') ++i;
    while (i < html.size() && html[i] != '>') {
      while (i < html.size() && (space(html[i]) || html[i] == '/')) ++i;
      const size_t name = i;
      while (i < html.size() && !space(html[i]) && html[i] != '=' && html[i] != '>') ++i;
      std::string key = html.substr(name, i - name), value;
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      while (i < html.size() && space(html[i])) ++i;
      if (i < html.size() && html[i] == '=') {
        ++i;
        while (i < html.size() && space(html[i])) ++i;
        if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
          const size_t end = html.find(html[i], i + 1);
          value = html.substr(i + 1, end - i - 1);
          i = end == std::string::npos ? html.size() : end + 1;
        } else {
          const size_t from = i;
          while (i < html.size() && !space(html[i]) && html[i] != '>') ++i;
          value = html.substr(from, i - from);
        }
      }
      if (!key.empty()) out.emplace_back(key, decode_references(value));
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> broken_links(const std::string& root, const std::vector<std::string>& pages) {
  const std::string inside = fs::path(root).lexically_normal().string() + "/";
  std::vector<std::string> broken;
  std::map<std::string, std::string> texts;
  const auto text = [&](const std::string& file) -> const std::string& {
    auto it = texts.find(file);
    if (it == texts.end()) it = texts.emplace(file, testutil::read_file(file)).first;
    return it->second;
  };
  for (const std::string& page : pages) {
    for (const auto& [key, value] : attributes(text(page))) {
      std::vector<std::pair<std::string, bool>> urls;
      if (key == "href" || key == "src" || key == "poster") urls.emplace_back(value, true);
      if (key == "srcset") urls = srcset_candidates(value);
      for (const auto& [url, taken] : urls) {
        const std::string where = page + ": " + key + "=" + value + ": ";
        std::string file, fragment;
        if (!taken) broken.push_back(where + "candidate dropped: " + url);
        if (!resolve(page, url, file, fragment) || file.compare(0, inside.size(), inside) != 0) continue;
        if (!testutil::exists(file)) {
          broken.push_back(where + "no file " + file);
        } else if (!fragment.empty() && text(file).find("id=\"" + fragment + "\"") == std::string::npos) {
          broken.push_back(where + "no id " + fragment + " in " + file);
        }
      }
    }
  }
  return broken;
}

}  // namespace booktest
