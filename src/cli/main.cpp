#include <cstdio>

int main() {
    std::puts("usage: tessarin-cli [--db FILE] COMMAND [OPTIONS]");
    return 0;
}
