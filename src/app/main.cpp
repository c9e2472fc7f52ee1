// tessarin: the desktop program.
#include "app/desktop_app.h"

int main(int argc, char** argv) {
    return tessarin::RunDesktopApp(argc, argv);
}
