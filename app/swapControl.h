// swapControl.h -- pacing frames by the display where the driver offers it
#pragma once

#include <string_view>

enum class SwapControl { none, ext, mesa, sgi };

// Which swap-control extension to use, given a GLX extension string: the EXT one first, then
// MESA, then SGI. Names are matched whole, never as a prefix of a longer name.
SwapControl chooseSwapControl(std::string_view glxExtensions);

// Asks for a swap interval of 1 through the chosen extension, so that one idle step and one
// frame take one display refresh on a fast card; does nothing where none is offered.
void requestSwapInterval();
