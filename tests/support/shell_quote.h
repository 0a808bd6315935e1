// Paths and words in the command lines the tests run through std::system and
// popen, so that a build folder whose path holds a space or a quote still
// gives one shell word a path.
#pragma once

#include <string>

// The word in single quotes, each single quote in it closed, escaped and
// reopened.
inline std::string TEST_Quote(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
