// Put under the real program with LD_PRELOAD, beside the virtual frame: the program's two long blocking waits,
// 1.5 s before each attempt to open the frame and 3 s before leaving from the tray menu, return at once, so that
// tests of the real executable never sit through them. Each skipped wait is appended to the file named by
// ORVESSA_E2E_WAIT_RECORD as a line "wait <milliseconds>", so tests still see every wait the program asked for.
// Every other sleep of the process (Qt's, the libraries') is passed on unchanged.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using NanosleepFunction = int (*)(const timespec *, timespec *);

bool isProgramWait(const timespec &request) {
    return (request.tv_sec == 1 && request.tv_nsec == 500000000L) || (request.tv_sec == 3 && request.tv_nsec == 0);
}

void recordWait(const timespec &request) {
    const char *path = std::getenv("ORVESSA_E2E_WAIT_RECORD");
    std::FILE *file = path ? std::fopen(path, "a") : nullptr;
    if (!file)
        return;
    std::fprintf(file, "wait %ld\n", long(request.tv_sec) * 1000 + request.tv_nsec / 1000000);
    std::fclose(file);
}

}  // namespace

extern "C" int nanosleep(const timespec *request, timespec *remaining) {
    if (request && isProgramWait(*request)) {
        recordWait(*request);
        return 0;
    }
    static const auto next = reinterpret_cast<NanosleepFunction>(dlsym(RTLD_NEXT, "nanosleep"));
    return next(request, remaining);
}
