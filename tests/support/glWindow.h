// glWindow.h -- moved to harness/glWindow.h; kept until the export tests include it from there
#pragma once

#include "harness/glWindow.h"
