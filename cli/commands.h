// The table of command groups, in the order the overview lists them.
#pragma once

#include <cstddef>

#include "cli/cli.h"

namespace pictora::cli {

extern const command_t* const commands[];
extern const size_t command_count;

}  // namespace pictora::cli
