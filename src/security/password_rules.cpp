#include "security/password_rules.h"

#include <cstring>

#include "resources/string_ids.h"

namespace tessarin {

namespace {

constexpr size_t kForbiddenOffset = 16;
constexpr size_t kForbiddenBytes = 16;

}  // namespace

bool IsAcceptable(const CSecret& password) {
    const std::string_view text = password.View();
    if (text.empty())
        return true;
    if (text.size() < 2)
        return false;
    return text.find_first_not_of(text[0]) != std::string_view::npos;
}

CPasswordRequirements CPasswordRequirements::FromBytes(const uint8_t* bytes) {
    CPasswordRequirements r;
    r.minLength = bytes[0];
    r.maxLength = bytes[1];
    r.minLetters = bytes[2];
    r.minDigits = bytes[3];
    r.minOthers = bytes[4];
    r.minCapitals = bytes[5];
    const auto* text = reinterpret_cast<const char*>(bytes + kForbiddenOffset);
    const void* nul = std::memchr(text, 0, kForbiddenBytes);
    r.forbidden.assign(text, nul ? static_cast<const char*>(nul) - text : kForbiddenBytes);
    return r;
}

bool MeetsRequirements(const CPasswordRequirements& r, const CSecret& password) {
    constexpr uint8_t kNoLimit = CPasswordRequirements::kNoLimit;
    const std::string_view text = password.View();
    if (r.minLength != kNoLimit && text.size() < r.minLength)
        return false;
    if (r.maxLength != kNoLimit && text.size() > r.maxLength)
        return false;

    size_t capitals = 0, lower = 0, digits = 0, others = 0;
    for (const char c : text) {
        if (c >= 'A' && c <= 'Z')
            ++capitals;
        else if (c >= 'a' && c <= 'z')
            ++lower;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            ++others;
    }
    // A "forbidding" count rejects any character of its kind; any other count is a minimum.
    const auto fails = [&](uint8_t required, size_t count) {
        return required == kNoLimit ? count > 0 : count < required;
    };
    if (r.minLetters == kNoLimit ? lower > 0 : capitals + lower < r.minLetters)
        return false;
    if (capitals < r.minCapitals)
        return false;
    if (fails(r.minDigits, digits) || fails(r.minOthers, others))
        return false;
    return r.forbidden.empty() || text.find(r.forbidden) == std::string_view::npos;
}

CPasswordVerdict CheckChangePassword(const CSecret& newPassword, const CSecret& confirm,
                                     bool oldIsRight,
                                     const std::optional<CPasswordRequirements>& requirements) {
    if (!(newPassword == confirm))
        return CPasswordVerdict::Message(str::kPasswordConfirmMismatch);
    if (!oldIsRight)
        return CPasswordVerdict::Message(str::kOldPasswordIncorrect);
    return CheckFirstPassword(newPassword, confirm, requirements);
}

CPasswordVerdict CheckFirstPassword(const CSecret& newPassword, const CSecret& confirm,
                                    const std::optional<CPasswordRequirements>& requirements) {
    const CPasswordVerdict basic = CheckExportPassword(newPassword, confirm);
    if (!basic.Accepted())
        return basic;
    if (requirements && !MeetsRequirements(*requirements, newPassword))
        return CPasswordVerdict::RequirementsError();
    return {};
}

CPasswordVerdict CheckExportPassword(const CSecret& newPassword, const CSecret& confirm) {
    if (!(newPassword == confirm))
        return CPasswordVerdict::Message(str::kPasswordConfirmMismatch);
    if (!IsAcceptable(newPassword))
        return CPasswordVerdict::Message(str::kPasswordTooWeak);
    return {};
}

}  // namespace tessarin
