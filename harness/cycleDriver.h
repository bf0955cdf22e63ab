// cycleDriver.h -- whole cycles played in-process through the callbacks the program registers
#pragma once

#include "app/application.h"

#include <functional>
#include <string>

// Plays the piece the way GLUT would, by calling onIdle, onMouse and onKeyboard directly, and
// deals with dealStrip itself instead of waiting for the deal timer. Needs useGlWindow and a
// fresh scene. A cycle that does not get where it is driven is a fault of the program: the
// driver names it and ends the process with code 1 (a test's quit guard fails the test).
class CycleDriver {
  public:
    std::function<void()> beforeStep; // a visitor's input between steps
    std::function<void()> afterStep;  // after every idle step: frames, checks

    void press(int button, int x = halfWidth, int y = halfHeight);
    // One idle step, then afterStep.
    void step();
    // Steps until done() holds, at most `limit` steps; `what` names the goal if it is missed.
    void stepUntil(const char* what, const std::function<bool()>& done, int limit = 10000);
    // Presses L (left) and R (right) in turn at the centre, or types g for "g".
    void gather(const std::string& presses);
    // From gathering to the first step of the next cycle, as a hurried player would: one deal
    // per dealing step, a burst once at rest, the capture at full burst, then a settle back
    // and the collapse once at rest. Returns the name the cycle gave its picture.
    std::string finishCycle(int limit = 20000);
    std::string playCycle(const std::string& presses) {
        gather(presses);
        return finishCycle();
    }
};
