// The row parser of each import format.
#include "exchange/csv_format.h"
#include "exchange/foreign_parsers.h"
#include "exchange/import_row.h"
#include "exchange/manager_formats.h"
#include "exchange/vex_parser.h"

namespace tessarin {

std::unique_ptr<IRowParser> MakeRowParser(ExchangeFormat format, std::string_view text,
                                          const CKeySchedule* key) {
    switch (format) {
        case ExchangeFormat::Vex1:
            return MakeVexParser(text, key, false);
        case ExchangeFormat::Vex2:
            return MakeVexParser(text, key, true);
        case ExchangeFormat::Cryptinfo:
            return MakeCryptinfoParser(text);
        case ExchangeFormat::EWallet:
            return MakeEWalletParser(text);
        case ExchangeFormat::MobileSafe:
            return MakeMobileSafeParser(text);
        case ExchangeFormat::TopSecret:
            return MakeTopSecretParser(text);
        case ExchangeFormat::Yaps:
            return MakeYapsParser(text);
        case ExchangeFormat::Bitwarden:
            if (IsBitwardenJson(text))
                return MakeBitwardenJsonParser(text);
            return MakeManagerCsvParser(format, text);
        case ExchangeFormat::KeePassXc:
        case ExchangeFormat::Chrome:
        case ExchangeFormat::Firefox:
        case ExchangeFormat::OnePassword:
        case ExchangeFormat::LastPass:
        case ExchangeFormat::ProtonPass:
            return MakeManagerCsvParser(format, text);
        default:
            return MakeCsvParser(text);
    }
}

}  // namespace tessarin
