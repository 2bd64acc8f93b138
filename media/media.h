// What the game calls of the media layer: its operations and types, and nothing
// of how the modules are built (decoders, drivers, the renderer's state record,
// test hooks and the platform stay in the modules' own headers).
#pragma once

#include "media/audio/driver.h"
#include "media/collision/collision.h"
#include "media/core/random.h"
#include "media/core/strings.h"
#include "media/files/streams.h"
#include "media/fonts/image_font.h"
#include "media/graphics/draw.h"
#include "media/graphics/graphics.h"
#include "media/graphics/image.h"
#include "media/input/keyboard.h"
#include "media/input/timer.h"
#include "media/program/program.h"
