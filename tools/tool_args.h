// How every tool answers a command line it cannot run, so that scripts and
// people meet the same rule everywhere: -h or --help prints the usage on
// standard output and ends with status 0; a wrong argument prints a one-line
// reason and the usage on standard error and ends with status 2. A tool
// that fails at its work says why in one line on standard error, status 1.
// (The data generators end through the program's own fatal path instead,
// with its messages on standard output.)
#pragma once

#include <string>

constexpr int TOOL_ARGS_USAGE_STATUS = 2;
constexpr int TOOL_ARGS_ERROR_STATUS = 1;

// Whether arg asks for the usage.
bool TOOL_ARGS_IsHelp(const std::string& arg);

// The usage on standard output; status 0.
[[noreturn]] void TOOL_ARGS_Help(const char* usage);

// "tool: reason" (left out when reason is empty) and the usage on standard
// error; status 2.
[[noreturn]] void TOOL_ARGS_Fail(const char* usage, const std::string& reason);

// "tool: reason" on standard error; status, TOOL_ARGS_ERROR_STATUS unless a
// tool's usage gives failures a status of their own.
[[noreturn]] void TOOL_ARGS_Error(const std::string& reason, int status = TOOL_ARGS_ERROR_STATUS);

// For tools that take no options: ends the tool when an argument asks for
// the usage or looks like an option.
void TOOL_ARGS_NoOptions(int argc, char** argv, const char* usage);

// TOOL_ARGS_NoOptions, and ends the tool unless it got exactly operands
// arguments.
void TOOL_ARGS_Operands(int argc, char** argv, int operands, const char* usage);
