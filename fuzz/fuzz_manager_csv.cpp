// The row parser of other password managers' CSV exports and the row import on any bytes; the first
// byte chooses the manager whose columns the first line is read against.
#include <iterator>

#include "fuzz_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tessarin::ExchangeFormat;
    static constexpr ExchangeFormat kFormats[] = {
        ExchangeFormat::KeePassXc,  ExchangeFormat::Bitwarden,   ExchangeFormat::Chrome,
        ExchangeFormat::Firefox,    ExchangeFormat::OnePassword, ExchangeFormat::LastPass,
        ExchangeFormat::ProtonPass,
    };
    if (size == 0)
        return 0;
    return tessarin::fuzz::FuzzRows(kFormats[data[0] % std::size(kFormats)], data + 1, size - 1);
}
