// A compositor shutting down drops its clients before it closes its socket,
// so a connection alone may still succeed: only an answer shows it running.
#include "platform/wayland_probe.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr int kAnswerWithinMs = 500;
constexpr const char* kDefaultDisplay = "wayland-0";

// The request wl_display.sync (object 1, opcode 0) for a new callback
// object 2, in the wire's native byte order: object, size << 16 | opcode,
// new id.
constexpr uint32_t kDisplayObject = 1;
constexpr uint32_t kSyncRequest = 12u << 16 | 0;
constexpr uint32_t kCallbackObject = 2;

std::string SocketPath() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name) name = kDefaultDisplay;
    if (name[0] == '/') return name;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime ? runtime : "") + "/" + name;
}

bool Answers(int fd, const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return true;  // not ours to judge
    path.copy(address.sun_path, path.size());
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    const uint32_t sync[] = {kDisplayObject, kSyncRequest, kCallbackObject};
    if (send(fd, sync, sizeof sync, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof sync))
        return false;
    pollfd answer{fd, POLLIN, 0};
    if (poll(&answer, 1, kAnswerWithinMs) != 1) return false;
    char byte;
    return recv(fd, &byte, 1, 0) == 1;
}

}  // namespace

bool WAYLAND_CompositorAnswers() {
    if (std::getenv("WAYLAND_SOCKET")) return true;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;
    const bool answers = Answers(fd, SocketPath());
    close(fd);
    return answers;
}
