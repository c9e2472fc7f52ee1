// The lines of the local endpoints on any bytes: cut into lines as a connection's bytes are, each
// read as a change notice and as a copy-data hand-over. What reads as one writes back to the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/notice_lines.h"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // In two pieces, as two reads of a socket may bring them.
    CLineBuffer buffer(2 * 4096 + 64);
    std::vector<std::string> lines = buffer.Add(bytes.substr(0, size / 2));
    for (std::string& line : buffer.Add(bytes.substr(size / 2)))
        lines.push_back(std::move(line));
    for (const std::string& line : lines) {
        if (line.size() > 2 * 4096 + 64 || line.find('\n') != std::string::npos)
            __builtin_trap();
        if (const auto notice = ParseNoticeLine(line)) {
            const auto again = ParseNoticeLine(NoticeLine(*notice));
            if (!again || !(*again == *notice))
                __builtin_trap();
        }
        if (const auto copy = ParseCopyDataLine(line)) {
            if (ParseCopyDataLine(CopyDataLine(copy->first, copy->second)) != copy)
                __builtin_trap();
            if (IsHandOverPath(copy->second) && copy->second.find_first_of(std::string_view(
                                                    "\0\n\r\x1b\x7f", 5)) != std::string::npos)
                __builtin_trap();
        }
    }
    return 0;
}
