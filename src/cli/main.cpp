#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/cli_session.h"
#include "platform/process_guard.h"

int main(int argc, char** argv) {
    tessarin::GuardProcess();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    tessarin::cli::CCliIo io{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1};
    const int code = tessarin::cli::RunCli(args, io);
    std::cout.flush();
    return code;
}
