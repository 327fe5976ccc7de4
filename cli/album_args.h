// What the commands that work on albums share: the album or book a
// directory names, --jobs and --pick, the stage bars, and the words of a
// refusal.
#pragma once

#include <string>
#include <vector>

#include "app/batchupdate.h"
#include "app/bookedit.h"
#include "app/import.h"
#include "app/path.h"
#include "cli/progress.h"

namespace pictora::cli {

// Prints the refusal (nothing written) as the catalogue's words and the
// detail, each line after "pictora-cli: "; returns exit_usage.
int refused(const refusal_t& why, const path_t& album);

std::string without_trailing_slashes(std::string dir);
// The album or collection directory dir as its book and name, the name
// being the whole last component ("2026.05.01 Trip" keeps its dots).
path_t album_path(const std::string& dir);
path_t book_path(const std::string& dir);

// The six stage bars of the album and best-of work.
void attach_bars(progress_bars_t& bars, batch_progress_t& progress, const char* first);

// "NAME" or "NAME:DEGREES" as a picked file.
bool parse_pick(files_t& file, const std::string& pick);

// Takes "--jobs N" out of args into jobs (left as it is when absent); ""
// when it is absent or well formed, else the complaint.
std::string take_jobs(std::vector<std::string>& args, unsigned& jobs);

// Takes the flag `option` out of args; whether it was there.
bool take_flag(std::vector<std::string>& args, const std::string& option);

}  // namespace pictora::cli
