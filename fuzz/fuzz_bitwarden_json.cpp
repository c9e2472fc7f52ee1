// Bitwarden's JSON export on any bytes: the JSON reader builds and passes over every value alike,
// and the row parser and the row import hold as for every format.
#include <cstdlib>

#include "exchange/json_reader.h"
#include "exchange/manager_formats.h"
#include "fuzz_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessarin;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    CTextCursor built(text);
    CTextCursor passed(text);
    CJsonNode node;
    const bool read = CJsonReader(built).Read(&node);
    if (read != CJsonReader(passed).Read(nullptr) || built.Offset() != passed.Offset())
        std::abort();
    // Taken as JSON whatever its first bytes, as `import --format bitwarden` on a file that opens
    // as Bitwarden's export does.
    fuzz::CheckParser(ExchangeFormat::Bitwarden, text, nullptr);
    auto parser = MakeBitwardenJsonParser(text);
    CImportRow row;
    size_t before = parser->Cursor().Offset();
    while (parser->Next(row)) {
        if (parser->Cursor().Offset() <= before)
            std::abort();
        before = parser->Cursor().Offset();
        if (row.values.empty())
            break;
    }
    return fuzz::FuzzRows(ExchangeFormat::Bitwarden, data, size);
}
