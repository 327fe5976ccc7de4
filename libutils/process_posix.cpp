// The POSIX side of libutils/process.h: posix_spawnp and a pipe.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "libutils/process.h"

extern char** environ;

namespace libutils {

namespace {

int exit_code(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 127;
}

// Reads fd up to its end into out and closes it.
void drain(int fd, std::string& out) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(fd);
}

}  // namespace

int run_process(const std::vector<std::string>& argv, std::string* output) {
  if (argv.empty()) return 127;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // What this process already buffered goes out before the child's lines.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);

  int pipe_fd[2] = {-1, -1};
  if (output != nullptr && ::pipe2(pipe_fd, O_CLOEXEC) != 0) return 127;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, pipe_fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipe_fd[1], 2);
  }
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);

  if (output != nullptr) {
    ::close(pipe_fd[1]);
    output->clear();
    if (spawned == 0)
      drain(pipe_fd[0], *output);
    else
      ::close(pipe_fd[0]);
  }
  if (spawned != 0) return 127;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  return exit_code(status);
}

}  // namespace libutils
