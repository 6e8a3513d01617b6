// Captures what a piece of code prints on standard output (the engine reports failures there).
#pragma once

#include <functional>
#include <string>

std::string captureStdout(const std::function<void()>& fn);
