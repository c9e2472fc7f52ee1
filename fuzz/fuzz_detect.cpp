// Format detection and the password check of exchange files on any bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/format_detection.h"
#include "exchange/vex_format.h"
#include "security/password.h"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<const CKeySchedule> key = MakeKeySchedule(CSecret("fuzz"));
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ExchangeFormat format = DetectFormat(bytes);
    if (format == ExchangeFormat::Detect || format == ExchangeFormat::EWallet ||
        format == ExchangeFormat::TopSecret)
        std::abort();  // never the result of detection
    const int withKey = CheckFilePassword(bytes, key.get());
    const int withoutKey = CheckFilePassword(bytes, nullptr);
    // Without a key a protected file needs one; the key never opens what needs none.
    if (withoutKey == 0 && withKey != 0)
        std::abort();
    if (withKey == 0 && !HasWholeCheckBlock(bytes) && withoutKey != 0)
        std::abort();
    if (IsProtectedVex(bytes) != (withoutKey == 1))
        std::abort();
    return 0;
}
