// screenAndSwapTest.cpp -- screen values for the game modes, and the choice of swap control
#include "app/application.h"
#include "app/swapControl.h"

#include <gtest/gtest.h>

TEST(ScreenValues, HalvesTruncateAndTheCaptureScaleFollowsTheHeight) {
    const struct {
        int width, height, halfWidth, halfHeight;
        float scale;
    } modes[] = {
        {1280, 1024, 640, 512, 1.0f},          {1152, 864, 576, 432, 0.84375f},
        {1024, 768, 512, 384, 0.75f},          {800, 600, 400, 300, 0.5859375f},
        {1279, 1023, 639, 511, 0.9990234375f},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(std::to_string(m.width) + "x" + std::to_string(m.height));
        setScreenValues(m.width, m.height);
        EXPECT_EQ(screenWidth, m.width);
        EXPECT_EQ(screenHeight, m.height);
        EXPECT_EQ(halfWidth, m.halfWidth);
        EXPECT_EQ(halfHeight, m.halfHeight);
        EXPECT_EQ(captureScale, m.scale);
    }
}

TEST(SwapControl, PrefersExtThenMesaThenSgiAndMatchesWholeNames) {
    EXPECT_EQ(chooseSwapControl(""), SwapControl::none);
    EXPECT_EQ(chooseSwapControl("GLX_ARB_multisample GLX_SGI_swap_control"), SwapControl::sgi);
    EXPECT_EQ(chooseSwapControl("GLX_SGI_swap_control GLX_MESA_swap_control"), SwapControl::mesa);
    EXPECT_EQ(chooseSwapControl("GLX_MESA_swap_control GLX_EXT_swap_control "), SwapControl::ext);
    EXPECT_EQ(chooseSwapControl("GLX_EXT_swap_control_tear"), SwapControl::none);
    EXPECT_EQ(chooseSwapControl("XGLX_EXT_swap_control"), SwapControl::none);
}
