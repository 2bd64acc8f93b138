// The whole public interface of the media layer.
#pragma once

#include "media/audio/driver.h"
#include "media/audio/sample.h"
#include "media/audio/sample_loader.h"
#include "media/graphics/collision.h"
#include "media/graphics/draw.h"
#include "media/graphics/graphics.h"
#include "media/graphics/image.h"
#include "media/graphics/pixmap.h"
#include "media/graphics/pixmap_loaders.h"
#include "media/graphics/timer.h"
#include "media/input/events.h"
#include "media/input/keyboard.h"
#include "media/text/program_dir.h"
#include "media/text/random.h"
#include "media/text/streams.h"
#include "media/text/strings.h"
