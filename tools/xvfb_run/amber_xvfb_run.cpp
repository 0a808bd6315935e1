// amber_xvfb_run: runs a command on a private X server, the one the headless
// tools and the tests start, so that every test starts its server one way.
// Whatever the command leaves running in its process group ends with it.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "headless/xvfb.h"
#include "tools/tool_args.h"

namespace {

constexpr int kNotRun = 127;
constexpr int kSignalled = 128;
constexpr const char* kUsage =
    "usage: amber_xvfb_run [--screen WIDTHxHEIGHT] [--window-manager] COMMAND [ARG...]\n"
    "Runs COMMAND with DISPLAY on a new Xvfb (640x480 unless --screen says\n"
    "otherwise), with openbox managing it when asked. When COMMAND ends, the\n"
    "rest of its process group is ended, then the server. Ends with COMMAND's\n"
    "status, or 128 + the signal that ended it.\n";

pid_t command_group = 0;

// A stop asked of this tool is passed on to the command.
void PassOn(int signal) { kill(-command_group, signal); }

[[noreturn]] void Exec(char** command) {
    setpgid(0, 0);
    execvp(command[0], command);
    std::fprintf(stderr, "amber_xvfb_run: cannot run %s: %s\n", command[0], std::strerror(errno));
    _exit(kNotRun);
}

int Run(char** command) {
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) Exec(command);
    setpgid(pid, pid);
    command_group = pid;
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, PassOn);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    kill(-pid, SIGTERM);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kSignalled + WTERMSIG(status);
}

}  // namespace

int main(int argc, char** argv) {
    int width = 640, height = 480, first = 1;
    bool window_manager = false;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        const std::string arg = argv[first];
        if (TOOL_ARGS_IsHelp(arg)) TOOL_ARGS_Help(kUsage);
        if (arg == "--window-manager") {
            window_manager = true;
        } else if (arg == "--screen" && first + 1 < argc &&
                   std::sscanf(argv[first + 1], "%dx%d", &width, &height) == 2 && width > 0 &&
                   height > 0) {
            ++first;
        } else {
            TOOL_ARGS_Fail(kUsage, "unknown or incomplete option " + arg);
        }
    }
    if (first == argc) TOOL_ARGS_Fail(kUsage, "no command");
    try {
        XVFB_Start(width, height);
        if (window_manager) XVFB_StartWindowManager();
        return Run(argv + first);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "amber_xvfb_run: %s\n", e.what());
        return 1;
    }
}
