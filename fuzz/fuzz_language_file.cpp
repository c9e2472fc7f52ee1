// The translation file's reader on any bytes, then every text it replaced formatted as a message
// would be (a translated text may carry any directives).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "resources/language_file.h"
#include "resources/string_table.h"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    CStringTable strings;
    // At most one text a line.
    if (ApplyLanguageText(content, strings) > size)
        __builtin_trap();
    for (int id : {101, 107, 161, 191, 602, 3000, 20005, 24908, 26000})
        (void)strings.Format(id, {"a", "%s", "12"});
    return 0;
}
