#include "tools/tool_args.h"

#include <errno.h>

#include <cstdio>
#include <cstdlib>

bool TOOL_ARGS_IsHelp(const std::string& arg) { return arg == "-h" || arg == "--help"; }

void TOOL_ARGS_Help(const char* usage) {
    std::fputs(usage, stdout);
    std::exit(0);
}

namespace {

void SayWhy(const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, reason.c_str());
}

}  // namespace

void TOOL_ARGS_Fail(const char* usage, const std::string& reason) {
    if (!reason.empty()) SayWhy(reason);
    std::fputs(usage, stderr);
    std::exit(TOOL_ARGS_USAGE_STATUS);
}

void TOOL_ARGS_Error(const std::string& reason, int status) {
    SayWhy(reason);
    std::exit(status);
}

void TOOL_ARGS_NoOptions(int argc, char** argv, const char* usage) {
    for (int i = 1; i < argc; ++i)
        if (TOOL_ARGS_IsHelp(argv[i])) TOOL_ARGS_Help(usage);
    // No tool reads a file named "-": every such argument is a mistyped option.
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-') TOOL_ARGS_Fail(usage, std::string("unknown option ") + argv[i]);
}

void TOOL_ARGS_Operands(int argc, char** argv, int operands, const char* usage) {
    TOOL_ARGS_NoOptions(argc, argv, usage);
    if (argc - 1 < operands) TOOL_ARGS_Fail(usage, "missing arguments");
    if (argc - 1 > operands)
        TOOL_ARGS_Fail(usage, std::string("unexpected argument ") + argv[operands + 1]);
}
