// tempDir.h -- moved to harness/tempDir.h; kept until the export tests include it from there
#pragma once

#include "harness/tempDir.h"
