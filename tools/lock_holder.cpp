// Takes the database lock, as another process working on the database would, and holds it:
//   tessarin-lock-holder           until a line arrives on its standard input, or it ends
//   tessarin-lock-holder SECONDS   for that long
// Prints "held" once it has the lock.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/file_lock.h"

int main(int argc, char** argv) {
    tessarin::CFileLock lock;
    if (!lock.Acquire(std::chrono::seconds(60))) {
        std::fprintf(stderr, "could not take the lock at %s\n", lock.Path().c_str());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    if (argc > 1) {
        std::this_thread::sleep_for(std::chrono::duration<double>(std::atof(argv[1])));
    } else {
        int c;
        while ((c = std::getchar()) != EOF && c != '\n') {
        }
    }
    lock.Release();
    return 0;
}
