// The one way a module of the media layer keeps its state.
//
// A module puts everything it must remember between calls into one struct and
// reaches it through ModuleState<ThatStruct>(). The object is made on first use
// and never destroyed: a program may keep images, timers, sounds or fonts in
// program-wide variables that are destroyed at exit after every static of the
// layer would be, and destroying them still reaches the layer's bookkeeping
// (texture lists, timer lists, driver lists), which therefore has to stay.
// Releasing what a module holds of the platform is done by an exit action (see
// media/platform/lifetime.h), never by a destructor that runs at exit.
#pragma once

namespace core {

template <typename State>
State& ModuleState() {
  static State* const state = new State();
  return *state;
}

}  // namespace core
