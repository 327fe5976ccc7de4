// What the book tests share: pictora-cli run on a scratch folder, and a link
// checker over generated pages.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace booktest {

// Runs pictora-cli --quiet with args, its settings and home in the scratch
// folder work (C locale); "" when it succeeded, else the command line, its
// exit status and its error output. out receives the standard output.
// path_first, when not empty, goes before PATH.
std::string run_cli(const testutil::TempDir& work, const std::vector<std::string>& args, std::string* out = nullptr,
                    const std::string& path_first = "");

// Every page (".html") below dir, as its path.
std::vector<std::string> pages_below(const std::string& dir);

// What a browser could not reach from the pages: every href, src, poster
// and srcset candidate of every tag, read as an HTML parser and a URL
// parser read them, that names no file, every fragment that names no id of
// its page, and every srcset candidate a browser drops. One line each:
// "PAGE: ATTRIBUTE=VALUE: what is wrong". Links with a scheme (mailto:) and
// links out of the folder root (the top book's link up) are left out.
std::vector<std::string> broken_links(const std::string& root, const std::vector<std::string>& pages);

}  // namespace booktest
