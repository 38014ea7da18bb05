// The `vesk-bar` command. A later launch that only opens the panel (no argument, --toggle,
// --copy-availability) hands its request to the running Vesk Bar over the instance socket here,
// without loading Qt; everything else, and every launch that finds no running instance, becomes
// the application itself (vesk-bar-app, which parses, forwards or starts as before).
// Plain C library only: this is the whole cost of a forwarded launch.
#include "platform/instanceprotocol.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#ifndef VESK_APP_RELATIVE
#error "VESK_APP_RELATIVE names the application next to the launcher"
#endif

namespace {

constexpr int TimeoutMs = 3000;

/// Writes the forward message for these arguments; false when they are not for the quick path.
bool quickMessage(int argc, char **argv, std::string &message)
{
    bool toggle = false;
    bool copy = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--toggle") == 0 && !toggle)
            toggle = true;
        else if (std::strcmp(argv[i], "--copy-availability") == 0 && !copy)
            copy = true;
        else
            return false;
    }
    // The same message the application sends: a header, one argument per line, an empty line.
    message = InstanceProtocol::Header;
    if (toggle)
        message += "--toggle\n";
    if (copy)
        message += "--copy-availability\n";
    message += '\n';
    return true;
}

bool waitFor(int fd, short events)
{
    pollfd p{fd, events, 0};
    int ready;
    do
        ready = ::poll(&p, 1, TimeoutMs);
    while (ready < 0 && errno == EINTR);
    return ready > 0 && (p.revents & events);
}

enum class Outcome
{
    Delivered,
    NoInstance, ///< nobody listens: the application starts (or retries) on its own
    Failed,     ///< someone listens but took nothing: the application reports it
};

Outcome forward(const std::string &message)
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/')
        return Outcome::NoInstance;
    const std::string path =
        std::string(runtime) + '/' + InstanceProtocol::Folder + '/' + InstanceProtocol::SocketName;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return Outcome::NoInstance;
    std::memcpy(address.sun_path, path.c_str(), path.size());

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Outcome::NoInstance;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return Outcome::NoInstance;
    }
    // Only a process of this user may receive what we hand over.
    ucred cred{};
    socklen_t len = sizeof(cred);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::getuid()) {
        ::close(fd);
        return Outcome::Failed;
    }
    size_t done = 0;
    while (done < message.size()) {
        const ssize_t n = ::send(fd, message.data() + done, message.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return Outcome::Failed;
        }
        done += size_t(n);
    }
    std::string reply;
    const std::string receipt = InstanceProtocol::Receipt;
    while (reply.size() < receipt.size() && waitFor(fd, POLLIN)) {
        char buffer[16];
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(buffer, size_t(n));
    }
    ::close(fd);
    return reply.compare(0, receipt.size(), receipt) == 0 ? Outcome::Delivered : Outcome::Failed;
}

} // namespace

int main(int argc, char **argv)
{
    std::string message;
    if (quickMessage(argc, argv, message)) {
        const Outcome outcome = forward(message);
        if (outcome == Outcome::Delivered)
            return 0;
    }

    // The application lies at a fixed place relative to this program, in the build folder and
    // installed alike.
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (n <= 0) {
        std::fprintf(stderr, "vesk-bar: cannot find its own program file\n");
        return 1;
    }
    std::string app(self, size_t(n));
    app = app.substr(0, app.rfind('/') + 1) + VESK_APP_RELATIVE;
    // The application writes this program, not itself, into the start-at-login entry.
    ::setenv("VESK_BAR_LAUNCHER", std::string(self, size_t(n)).c_str(), 1);
    ::execv(app.c_str(), argv);
    std::fprintf(stderr, "vesk-bar: cannot start %s: %s\n", app.c_str(), std::strerror(errno));
    return 1;
}
