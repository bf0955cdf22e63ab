// screenAndSwapTest.cpp -- the choice of game mode, screen values for the modes, and the choice of
// swap control
#include "app/application.h"
#include "app/startup.h"
#include "app/swapControl.h"

#include <GL/glut.h>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

// The display's modes, and the mode strings the program set, in order.
std::set<std::string> offered;
std::vector<std::string> tried;

} // namespace

// The two GLUT calls of the choice, wrapped at link time (CMakeLists.txt).
extern "C" void __wrap_glutGameModeString(const char* mode) { tried.emplace_back(mode); }
extern "C" int __wrap_glutGameModeGet(GLenum query) {
    return query == GLUT_GAME_MODE_POSSIBLE && !tried.empty() && offered.count(tried.back()) != 0;
}

TEST(GameMode, TheFirstPossibleOf1280_1152_1024_800WinsAndNoLaterOneIsTried) {
    const std::vector<std::string> all{"1280x1024:32", "1152x864:32", "1024x768:32", "800x600:32"};
    // The modes offered and the one chosen, as indices into all; 4 for none.
    const std::pair<std::vector<int>, int> cases[] = {
        {{1, 3}, 1}, {{2, 3}, 2}, {{0, 2, 3}, 0}, {{}, 4}};
    for (const auto& [modes, chosen] : cases) {
        SCOPED_TRACE("chosen " + std::to_string(chosen));
        offered.clear();
        for (const int m : modes) {
            offered.insert(all[m]);
        }
        tried.clear();
        const char* got = chooseGameMode();
        EXPECT_EQ(got == nullptr ? "none" : got, chosen < 4 ? all[chosen] : "none");
        EXPECT_EQ(tried,
                  std::vector<std::string>(all.begin(), all.begin() + std::min(chosen + 1, 4)));
    }
}

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
