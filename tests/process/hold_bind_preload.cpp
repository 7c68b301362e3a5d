// Put under the real program with LD_PRELOAD by the single-instance test: a bind() of a Unix socket first creates
// "<gate>.entered" and then waits while the file named by ORVESSA_TEST_BIND_GATE exists (at most 30 s). The test
// thus holds a copy between its decision to listen and its listening for as long as it likes, and starts a rival
// copy at exactly that moment: the race of two launches, reproduced every time.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern "C" int bind(int fd, const sockaddr *address, socklen_t length) {
    using BindFunction = int (*)(int, const sockaddr *, socklen_t);
    static const auto realBind = reinterpret_cast<BindFunction>(dlsym(RTLD_NEXT, "bind"));
    const char *gate = std::getenv("ORVESSA_TEST_BIND_GATE");
    if (gate && address && address->sa_family == AF_UNIX) {
        ::close(::open((std::string(gate) + ".entered").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        for (int waited = 0; ::access(gate, F_OK) == 0 && waited < 3000; ++waited)
            ::usleep(10000);
    }
    return realBind(fd, address, length);
}
