// Forked child processes for tests that need a process of their own: one that is
// killed at a random moment, or one that runs without the superuser's rights.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace test_support {

// Starts `body` in a forked child, which ends with the body's result as its exit
// status (70 when it throws). Returns the child's id, or -1 when fork fails.
pid_t StartChild(const std::function<int()>& body);
// Waits for the child; its exit status, or -1 when it did not exit normally
// (killed by a signal).
int WaitChild(pid_t child);
// Runs `body` in a child and waits for it. With `unprivileged`, a child running as
// the superuser first becomes the user and group 65534 (nobody), so that file
// permissions bind it as they bind any user. The child's standard error goes to
// `err_file` when one is named.
int RunInChild(const std::function<int()>& body, bool unprivileged = false, const std::string& err_file = {});

// Starts a child that calls step(0), step(1), ... until a step returns false,
// and kills it (SIGKILL) `delay_us` microseconds after its first step has
// finished. True when the first step finished and the kill ended the child while
// it was still repeating.
bool KillWhileRepeating(const std::function<bool(int)>& step, unsigned delay_us);
// The average time of one call of `call` over `times` calls, in microseconds.
long long MicrosPerCall(const std::function<void()>& call, int times);

}  // namespace test_support
