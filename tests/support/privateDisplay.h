// privateDisplay.h -- a private X server for one test, started and stopped by the rig script
#pragma once

#include <string>

class PrivateDisplay {
  public:
    // modes empty: Xvfb (no game mode at all); otherwise Xorg with the dummy driver offering
    // exactly these modes ("1280x1024,800x600", or "none" for none of the four).
    explicit PrivateDisplay(const std::string& modes = "");
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // ":N", or empty when the server could not be started (the constructor has then failed
    // the test).
    const std::string& name() const { return display; }

  private:
    std::string state;
    std::string display;
};
