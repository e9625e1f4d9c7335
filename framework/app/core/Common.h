// The framework's shared string and path helpers in one include.
#pragma once

#include "app/core/PathUtils.h"
#include "app/core/StringUtils.h"
