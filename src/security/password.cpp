#include "security/password.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "base/unique_handle.h"

namespace tessarin {

const uint8_t kDatabaseVerificationText[40] = "Keyring check phrase for a locked file.";

std::unique_ptr<CKeySchedule> MakeKeySchedule(const CSecret& password) {
    auto key = std::make_unique<CKeySchedule>();
    ExpandKey(*key, password.Bytes(), password.Size());
    return key;
}

CCheckBlock EncipherVerification(const CKeySchedule& key, const uint8_t (&plaintext)[40]) {
    CCheckBlock block;
    std::memcpy(block.data(), plaintext, block.size());
    CipherInPlace(key, block.data(), block.size(), true);
    return block;
}

CCheckBlock MakeCheckBlock(const CSecret& password) {
    if (password.Empty())
        return {};
    return EncipherVerification(*MakeKeySchedule(password), kDatabaseVerificationText);
}

bool IsZero(const CCheckBlock& block) {
    return std::all_of(block.begin(), block.end(), [](uint8_t b) { return b == 0; });
}

namespace {

// Reads up to a check block's worth of bytes from the start of the file: how many were read, or -1
// when the file cannot be opened.
ssize_t ReadStart(const std::string& databasePath, CCheckBlock& block) {
    const CFileHandle fd(::open(databasePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return -1;
    size_t done = 0;
    while (done < block.size()) {
        const ssize_t n = ::read(fd.Get(), block.data() + done, block.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

CCheckBlock ReadCheckBlock(const std::string& databasePath) {
    CCheckBlock block{};
    ReadStart(databasePath, block);
    return block;
}

std::optional<CCheckBlock> ReadStoredCheckBlock(const std::string& databasePath) {
    CCheckBlock block{};
    if (ReadStart(databasePath, block) != static_cast<ssize_t>(block.size()))
        return std::nullopt;
    return block;
}

bool IsPasswordSet(const std::string& databasePath) {
    return !IsZero(ReadCheckBlock(databasePath));
}

bool CheckPassword(const std::string& databasePath, const CSecret& password) {
    const CCheckBlock stored = ReadCheckBlock(databasePath);
    if (password.Empty() && IsZero(stored))
        return true;
    return EncipherVerification(*MakeKeySchedule(password), kDatabaseVerificationText) == stored;
}

bool KeyOpens(const CKeySchedule* key, const CCheckBlock& block) {
    if (IsZero(block))
        return key == nullptr;
    return key && EncipherVerification(*key, kDatabaseVerificationText) == block;
}

}  // namespace tessarin
