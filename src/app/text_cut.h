// The widget layer's name for the core's text cut (platform/text_cut.h).
#pragma once

#include "platform/text_cut.h"
