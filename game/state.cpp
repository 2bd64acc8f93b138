#include "game/state.h"

#include "game/blobbs.h"
#include "game/diamonds.h"
#include "game/effect.h"
#include "game/holes.h"
#include "game/powerups.h"
#include "game/zarn.h"

GameState G;

// Defined here, where the six game types are complete.
GameState::GameState() = default;
GameState::~GameState() = default;
GameState::GameState(GameState&&) noexcept = default;
GameState& GameState::operator=(GameState&&) noexcept = default;
