// Takes the database lock, as another process working on the database would, and holds it:
//   tessarin-lock-holder SECONDS
// Prints "held" once it has the lock.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/file_lock.h"

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 15;
    tessarin::CFileLock lock;
    if (!lock.Acquire(std::chrono::seconds(60))) {
        std::fprintf(stderr, "could not take the lock at %s\n", lock.Path().c_str());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    lock.Release();
    return 0;
}
