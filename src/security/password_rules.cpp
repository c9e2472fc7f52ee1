#include "security/password_rules.h"

#include "resources/string_ids.h"

namespace tessarin {

bool IsAcceptable(const CSecret& password) {
    const std::string_view text = password.View();
    if (text.empty())
        return true;
    if (text.size() < 2)
        return false;
    return text.find_first_not_of(text[0]) != std::string_view::npos;
}

int CheckNewPassword(const CSecret& newPassword, const CSecret& confirm, bool oldIsRight) {
    if (!(newPassword == confirm))
        return str::kPasswordConfirmMismatch;
    if (!oldIsRight)
        return str::kOldPasswordIncorrect;
    if (!IsAcceptable(newPassword))
        return str::kPasswordTooWeak;
    return 0;
}

}  // namespace tessarin
