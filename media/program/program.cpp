#include "media/program/program.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "media/core/module_state.h"
#include "media/platform/lifetime.h"
#include "media/program/command_line.h"

namespace program {
namespace {

struct Ending {
  std::function<int(int)> decide;
};

Ending& E() { return core::ModuleState<Ending>(); }

}  // namespace

void DecideExitStatus(std::function<int(int)> decide) { E().decide = std::move(decide); }

void Exit(int status) {
  if (!platform::RunEveryExitHook()) status = -1;
  if (E().decide) status = E().decide(status);
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(status);
}

}  // namespace program

int RunProgram(int argc, char** argv, void (*body)(), const ProgramLayout& layout) {
  int setup = -1;
  const bool ok = platform::RunReportingErrors([&] {
    setup = program::SetupFromCommandLine(argc, argv, layout.name);
    if (setup >= 0) return;
    EnterProgramDirectory(layout);
    body();
  });
  if (ok && setup >= 0) return setup;  // a bad command line: nothing has started
  program::Exit(ok ? 0 : -1);
}

void Quit() { program::Exit(0); }

void QuitWithError(std::string_view message) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
  program::Exit(1);
}

void OnProgramExit(std::function<void()> action) { platform::AddExitHook(std::move(action)); }

const std::string& TraceFilePath() { return program::CommandLine().trace; }
