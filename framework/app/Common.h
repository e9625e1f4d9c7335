// The framework's shared string and path helpers in one include.
#pragma once

#include "app/PathUtils.h"
#include "app/StringUtils.h"
