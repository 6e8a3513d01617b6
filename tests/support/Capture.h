// Captures what a piece of code prints on standard output (the engine reports failures there).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

// GoogleTest's own capture: it flushes stdio and redirects the file descriptor, so printf counts.
inline std::string captureStdout(const std::function<void()>& fn) {
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}
