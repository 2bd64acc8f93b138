#include "support/child_process.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>

namespace test_support {

namespace {

[[noreturn]] void RunBody(const std::function<int()>& body) {
  int status = 70;
  try {
    status = body();
  } catch (...) {
  }
  std::fflush(nullptr);
  // Straight out: the child must not run the test program's exit actions.
  _exit(status);
}

}  // namespace

pid_t StartChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) RunBody(body);
  return pid;
}

int WaitChild(pid_t child) {
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunInChild(const std::function<int()>& body, bool unprivileged, const std::string& err_file) {
  return WaitChild(StartChild([&] {
    if (!err_file.empty() && !std::freopen(err_file.c_str(), "wb", stderr)) return 71;
    if (unprivileged && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      return 72;
    return body();
  }));
}

bool KillWhileRepeating(const std::function<bool(int)>& step, unsigned delay_us) {
  int ready[2];
  if (pipe(ready) != 0) return false;
  const pid_t child = StartChild([&] {
    close(ready[0]);
    for (int n = 0;; ++n) {
      if (!step(n)) return 1;
      if (n == 0 && write(ready[1], "+", 1) != 1) return 2;
    }
  });
  close(ready[1]);
  char byte = 0;
  const bool started = child > 0 && read(ready[0], &byte, 1) == 1;
  close(ready[0]);
  if (started) usleep(delay_us);
  if (child > 0) kill(child, SIGKILL);
  return WaitChild(child) == -1 && started;
}

long long MicrosPerCall(const std::function<void()>& call, int times) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < times; ++i) call();
  const auto took = std::chrono::steady_clock::now() - start;
  return std::chrono::duration_cast<std::chrono::microseconds>(took).count() / std::max(times, 1);
}

}  // namespace test_support
