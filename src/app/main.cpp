// tessarin: the desktop program.
#include "app/desktop_app.h"
#include "app/key_state.h"
#include "platform/process_guard.h"
#include "ui/password_field.h"

int main(int argc, char** argv) {
    tessarin::GuardProcess();
    // The password fields' Caps Lock warning follows the keyboard's light.
    tessarin::CPasswordField::SetCapsLockReader([]() -> std::optional<bool> {
        const std::optional<tessarin::CKeyStates> states = tessarin::ReadKeyStates();
        if (!states)
            return std::nullopt;
        return states->capsLock;
    });
    return tessarin::RunDesktopApp(argc, argv);
}
