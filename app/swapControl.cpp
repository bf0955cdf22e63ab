// swapControl.cpp -- pacing frames by the display where the driver offers it
#include "app/swapControl.h"

#include <GL/glx.h>

namespace {

bool hasExtension(std::string_view extensions, std::string_view name) {
    std::size_t from = 0;
    while (from < extensions.size()) {
        std::size_t to = extensions.find(' ', from);
        if (to == std::string_view::npos) {
            to = extensions.size();
        }
        if (extensions.substr(from, to - from) == name) {
            return true;
        }
        from = to + 1;
    }
    return false;
}

} // namespace

SwapControl chooseSwapControl(std::string_view glxExtensions) {
    if (hasExtension(glxExtensions, "GLX_EXT_swap_control")) {
        return SwapControl::ext;
    }
    if (hasExtension(glxExtensions, "GLX_MESA_swap_control")) {
        return SwapControl::mesa;
    }
    if (hasExtension(glxExtensions, "GLX_SGI_swap_control")) {
        return SwapControl::sgi;
    }
    return SwapControl::none;
}

void requestSwapInterval() {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (display == nullptr) {
        return;
    }
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    auto address = [](const char* name) {
        return glXGetProcAddress(reinterpret_cast<const GLubyte*>(name));
    };
    switch (chooseSwapControl(extensions != nullptr ? extensions : "")) {
    case SwapControl::ext:
        if (auto f = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
                address("glXSwapIntervalEXT"))) {
            f(display, drawable, 1);
        }
        break;
    case SwapControl::mesa:
        if (auto f = reinterpret_cast<int (*)(unsigned)>(address("glXSwapIntervalMESA"))) {
            f(1);
        }
        break;
    case SwapControl::sgi:
        if (auto f = reinterpret_cast<int (*)(int)>(address("glXSwapIntervalSGI"))) {
            f(1);
        }
        break;
    case SwapControl::none:
        break;
    }
}
