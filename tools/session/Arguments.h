// Reading the values of command-line options shared by skorvane-capture and skorvane-preview.
#pragma once

// A plain decimal number such as 12 or 0.5, nothing before or after it: no sign, exponent, hex,
// nan, inf or spaces.
bool parseNumber(const char* text, double& value);

// The largest width or height of a frame that parseSize accepts.
constexpr int largestFrameSide = 8192;

// "WIDTHxHEIGHT", both from 1 to largestFrameSide.
bool parseSize(const char* text, int& width, int& height);
