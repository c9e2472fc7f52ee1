#include "store/key_generator.h"

#include <ctime>
#include <fstream>
#include <string>

#include "base/bytes.h"
#include "base/crc16.h"

namespace tessarin {

std::string ItemKey::Hex() const {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

CKeyGenerator::CKeyGenerator() : CKeyGenerator(MachineNumberFromIdentity, LocalSecondsSince1904) {}

CKeyGenerator::CKeyGenerator(MachineSource machine, Clock clock)
    : m_machineSource(std::move(machine)), m_clock(std::move(clock)) {}

ItemKey CKeyGenerator::Generate(CRandomSource& random) {
    if (!m_started) {
        // The random source was seeded from the system at start; drawing the first sequence number
        // from it (rather than reseeding from the clock) keeps later draws unguessable.
        m_sequence = static_cast<uint16_t>(random.RandomWord() % 65535);
        const auto machine = m_machineSource ? m_machineSource() : std::nullopt;
        m_machine =
            (machine && *machine) ? *machine : static_cast<uint16_t>(random.RandomWord() % 65535);
    }
    const bool first = !m_started;
    m_started = true;
    ++m_sequence;
    // The clock's second, unless the keys have run ahead of it; a clock set back keeps the time
    // already reached until the clock passes it.
    const uint32_t now = m_clock ? m_clock() : 0;
    if (first || now > m_time) {
        m_time = now;
        m_roundStart = m_sequence;
    } else if (m_sequence == m_roundStart) {
        ++m_time;
    }
    ItemKey key;
    WriteBE16(&key.bytes[0], m_machine);
    WriteBE16(&key.bytes[2], m_sequence);
    WriteBE32(&key.bytes[4], m_time);
    return key;
}

std::optional<uint16_t> MachineNumberFromIdentity() {
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        std::ifstream in(path, std::ios::binary);
        std::string id;
        if (!in || !std::getline(in, id) || id.empty())
            continue;
        const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(id.data()), id.size(), 3557);
        if (crc)
            return crc;
    }
    return std::nullopt;
}

uint32_t LocalSecondsSince1904() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Seconds from 1904-01-01 to 1970-01-01, both at midnight.
    constexpr int64_t kEpochOffset = 2082844800;
    const int64_t seconds = static_cast<int64_t>(now) + local.tm_gmtoff + kEpochOffset;
    return static_cast<uint32_t>(seconds);
}

}  // namespace tessarin
