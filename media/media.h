// The whole public interface of the media layer.
#pragma once

#include "media/text/program_dir.h"
#include "media/text/random.h"
#include "media/text/streams.h"
#include "media/text/strings.h"
