// cycleDriver.h -- whole cycles played in-process through the callbacks the program registers
#pragma once

#include <array>
#include <functional>
#include <string>

// Steps taken in each phase of one cycle, and the name the cycle gave its picture.
struct CycleRecord {
    std::array<int, 10> steps{};
    std::string imageName; // empty when the cycle collapsed without a capture
};

// Plays the piece the way GLUT would, by calling onIdle, onMouse and onKeyboard directly, and
// deals with dealStrip itself instead of waiting for the deal timer. Needs useGlWindow and a
// fresh scene.
class CycleDriver {
  public:
    std::function<void()> beforeStep; // a visitor's input between steps
    std::function<void()> afterStep;  // after every idle step: frames, checks

    void press(int button, int x = 640, int y = 512);
    // One idle step, then afterStep.
    void step();
    // Presses L (left) and R (right) in turn at the centre, or types g for "g".
    void gather(const std::string& presses);
    // From gathering to the first step of the next cycle, as a hurried player would: one deal
    // per dealing step, a burst once at rest, the capture at full burst, then a settle back
    // and the collapse once at rest. Fails after `limit` steps.
    CycleRecord finishCycle(int limit = 20000);
    CycleRecord playCycle(const std::string& presses) {
        gather(presses);
        return finishCycle();
    }
};
