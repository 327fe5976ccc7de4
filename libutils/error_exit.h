// Fatal end for a failed system call of the memory layer.
#pragma once

namespace libutils {

// Writes "<what> failed with error <errno>: <text>" to standard error and
// ends the process with errno as its exit code. Never returns.
[[noreturn]] void ErrorExit(const char* what);

}  // namespace libutils
