#pragma once

// Makes new item keys: machine number, sequence number and the local time, all big-endian.
#include <cstdint>
#include <functional>
#include <optional>

#include "base/random_source.h"
#include "store/item_key.h"

namespace tessarin {

class CKeyGenerator {
public:
    using MachineSource = std::function<std::optional<uint16_t>()>;
    using Clock = std::function<uint32_t()>;

    // By default the machine number comes from the machine's identity and the time from the
    // local clock.
    CKeyGenerator();
    CKeyGenerator(MachineSource machine, Clock clock);

    ItemKey Generate(CRandomSource& random);

private:
    MachineSource m_machineSource;
    Clock m_clock;
    bool m_started = false;
    uint16_t m_machine = 0;
    uint16_t m_sequence = 0;
    // The time written into the keys, and the sequence number its second began with: once the
    // sequence has gone full circle within one second of the clock, the time moves on a second
    // ahead of it, so that no key is made twice (an import of many types in one second).
    uint32_t m_time = 0;
    uint16_t m_roundStart = 0;
};

// A stable number for this machine: the CRC-16 (initial value 3557) of its machine identity, or
// none when the machine has no readable identity.
std::optional<uint16_t> MachineNumberFromIdentity();

// Seconds since 1904-01-01 00:00 in local time, modulo 2^32.
uint32_t LocalSecondsSince1904();

}  // namespace tessarin
