// Command-line options of kvor-scope.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProgramOptions {
    bool help = false;
    bool simulate = false;                         // simulated pair as COM1
    std::vector<std::pair<int, std::string>> ports;  // --port N=PATH, in order given
};

// Parses argv[1..]; false with `error` set on anything it does not know.
bool ParseOptions(int argc, const char* const* argv, ProgramOptions* options, std::string* error);
const char* UsageText();
