#pragma once

#include <chrono>
#include <functional>

// Waits for what a test expects of another thread or process: a condition
// with a deadline, never a fixed sleep, so that a slow machine only makes a
// test slower, and a fast one does not wait for nothing.
class CWait {
public:
    // Checks `done` every millisecond until it holds or `timeout` has passed;
    // true when it held. `done` is checked once more at the deadline.
    static bool Until(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5));
};
