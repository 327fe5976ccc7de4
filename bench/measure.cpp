// Runs a command and prints its wall time, and the processor time, peak
// resident memory and page faults of the command and everything it waited
// for, for benchmark scripts on systems without GNU time.
//
//   measure COMMAND [ARG...]
//
// The command's own output goes where measure's goes; the figures go to
// stderr as one line: "seconds=S cpu_seconds=C max_rss_kib=K minor_faults=F
// major_faults=M status=X", C being user plus system time. The exit status
// is the command's.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: measure COMMAND [ARG...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("measure: fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) < 0) {
    std::perror("measure: waitpid");
    return 2;
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  std::fprintf(stderr,
               "seconds=%.3f cpu_seconds=%.3f max_rss_kib=%ld minor_faults=%ld major_faults=%ld status=%d\n",
               wall.count(), seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss,
               usage.ru_minflt, usage.ru_majflt, code);
  return code;
}
