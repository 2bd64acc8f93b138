// The lifetime of the program as the media layer sees it: the exit actions every
// module registers, and the order in which the layer ends.
//
// The program may keep the layer's objects (timers, graphics, images, fonts,
// sounds, channels) in program-wide variables that are destroyed only after the
// layer has ended, so the layer keeps one rule:
//  - Ending runs once, before any program-wide variable is destroyed (the
//    program's Exit runs it; a plain return from main runs it first thing at
//    exit): the exit actions run in reverse order of registration, each module
//    releasing what it holds of the platform (audio shut down, timers stopped,
//    graphics closed), and the backend, the first thing made, is destroyed last.
//  - From then on nothing new is made (Current() is the closed backend), and the
//    objects the program still holds, when destroyed, free only their own memory.
//    The layer's own bookkeeping they reach on the way (timer list, texture list,
//    driver lists, event hooks) is never destroyed (see core/module_state.h).
// Ending the process itself is the program module's business (media/program/).
#pragma once

#include <functional>

namespace platform {

// Adds an exit action.
void AddExitHook(std::function<void()> hook);
// Adds `hook` as an exit action unless this same function was added before by
// AddExitHookOnce: the way a module registers its one release action the first
// time it has something to release.
void AddExitHookOnce(void (*hook)());
// Ends the layer as described above. Each hook is taken off the list before it
// runs, so a later call runs only the hooks not run yet (after one that failed).
void RunExitHooks();
// Runs the exit hooks to the end, reporting each error that escapes one on
// standard error; false when one failed.
bool RunEveryExitHook();
// True once RunExitHooks has begun.
bool Ended();
// When the program ends by returning from main or by std::exit, the layer ends
// before every handler registered with atexit up to now. Called once a library
// that tears itself down in such a handler (Mesa: its EGL displays, drivers and
// worker threads) has been set up, so the layer still closes its window and GL
// context while that library works. `library` names it: a second call for the
// same library does nothing.
void EndBeforeExitHandlersSoFar(const char* library);
// Runs `step`. An error it lets out has its text written to standard error
// ("unknown error" when it carries none), and then false is returned.
bool RunReportingErrors(const std::function<void()>& step);

}  // namespace platform
