// Reading the values of command-line options shared by skorvane-capture and skorvane-preview.
#pragma once

// A whole decimal number, nothing after it.
bool parseNumber(const char* text, double& value);

// "WIDTHxHEIGHT", both from 1 to 8192.
bool parseSize(const char* text, int& width, int& height);
