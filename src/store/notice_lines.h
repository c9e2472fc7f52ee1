#pragma once

// The lines spoken on the local endpoints (docs/ipc.md): change notices, the instance check, and
// the hand-over of a second copy's command line; and how the bytes of a connection become lines.
// Nothing here touches a socket, so that the parsers are tried on any bytes like the file formats.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/notice_channel.h"

namespace tessarin {

inline constexpr const char* kIsMeMessageName = "WM_Tessarin10_IsMe";
inline constexpr const char* kActivateMessageName = "WM_Tessarin10_Activate";
inline constexpr const char* kCopyDataMessageName = "WM_COPYDATA";
// The copy-data tag of a command line handed over.
inline constexpr uint32_t kCommandLineTag = 0;

// The line of a notice (with its line feed), and the notice of a line, with or without its line
// feed (none when it is not one).
std::string NoticeLine(const CChangeNotice& notice);
std::optional<CChangeNotice> ParseNoticeLine(std::string_view line);

// The copy-data line of a text, and the text of such a line.
std::string CopyDataLine(uint32_t tag, const std::string& data);
std::optional<std::pair<uint32_t, std::string>> ParseCopyDataLine(std::string_view line);

// Whether a handed-over path may be offered for import: absolute, UTF-8, and free of control
// characters (a zero byte, a line break, an escape, C1 controls), which could cut or disguise the
// name shown in the question.
bool IsHandOverPath(std::string_view path);

// The bytes of one connection cut into lines. A line longer than the limit, complete or not, makes
// the connection one to close.
class CLineBuffer {
public:
    explicit CLineBuffer(size_t maxLine) : m_maxLine(maxLine) {}
    // The lines completed by `bytes`, without their line feeds; none once too long a line came.
    std::vector<std::string> Add(std::string_view bytes);
    bool Overflowed() const { return m_overflowed; }

private:
    std::string m_pending;
    size_t m_maxLine;
    bool m_overflowed = false;
};

}  // namespace tessarin
