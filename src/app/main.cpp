// tessarin: the desktop program.
#include "app/desktop_app.h"
#include "platform/process_guard.h"

int main(int argc, char** argv) {
    tessarin::GuardProcess();
    return tessarin::RunDesktopApp(argc, argv);
}
