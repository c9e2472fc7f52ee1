#include "exchange/format_detection.h"

#include "exchange/csv_format.h"
#include "exchange/foreign_parsers.h"
#include "exchange/manager_formats.h"
#include "exchange/vex_format.h"

namespace tessarin {

namespace {

constexpr size_t kDetectionSize = 512;

bool IsTextByte(uint8_t b) {
    return !(b <= 0x08 || (b >= 0x0E && b <= 0x1C) || b == 0x1E || b == 0x1F);
}

}  // namespace

ExchangeFormat DetectFormat(std::string_view bytes) {
    const std::string_view head = bytes.substr(0, kDetectionSize);
    // Another password manager's export, by its whole first line (which may be longer than the
    // bytes the magics look at) or the opening of Bitwarden's JSON.
    if (const std::optional<ExchangeFormat> manager = DetectManagerExport(bytes))
        return *manager;
    for (char c : head)
        if (!IsTextByte(static_cast<uint8_t>(c)))
            return ExchangeFormat::NotText;
    if (head.starts_with(kVexMagicPrefix)) {
        if (head.starts_with(kVex1Magic))
            return ExchangeFormat::Vex1;
        if (head.starts_with(kVex2Magic))
            return ExchangeFormat::Vex2;
        return ExchangeFormat::LaterVex;
    }
    if (head.starts_with(kCsvMagic))
        return ExchangeFormat::CsvExport;
    if (head.starts_with(kCryptinfoMagic))
        return ExchangeFormat::Cryptinfo;
    if (head.starts_with(kYapsMagic))
        return ExchangeFormat::Yaps;
    if (head.starts_with(kMobileSafeMagic))
        return ExchangeFormat::MobileSafe;
    return ExchangeFormat::Csv;
}

}  // namespace tessarin
