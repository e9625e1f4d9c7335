// The framework's shared string and path helpers in one include.
#pragma once

#include "core/PathUtils.h"
#include "core/StringUtils.h"
