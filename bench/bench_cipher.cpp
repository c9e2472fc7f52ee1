// Blowfish against OpenSSL's on the same bytes: buffer throughput and key expansion.
#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>

#include <cstdint>
#include <vector>

#include "security/blowfish.h"

namespace {

constexpr size_t kBufferBytes = 1 << 20;
constexpr uint8_t kKey[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                              0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};

std::vector<uint8_t> Buffer() {
    std::vector<uint8_t> bytes(kBufferBytes);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 131 + 7);
    return bytes;
}

// Lengths are taken modulo 64 KiB, so the megabyte goes through in 32 KiB pieces.
constexpr size_t kPiece = 1 << 15;

void BM_CipherInPlace(benchmark::State& state) {
    tessarin::CKeySchedule schedule;
    tessarin::ExpandKey(schedule, kKey, sizeof kKey);
    std::vector<uint8_t> bytes = Buffer();
    for (auto _ : state) {
        for (size_t at = 0; at < bytes.size(); at += kPiece)
            tessarin::CipherInPlace(schedule, bytes.data() + at, kPiece, true);
        benchmark::DoNotOptimize(bytes.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBufferBytes));
}
BENCHMARK(BM_CipherInPlace);

void BM_OpenSslEcbEncrypt(benchmark::State& state) {
    BF_KEY key;
    BF_set_key(&key, sizeof kKey, kKey);
    std::vector<uint8_t> bytes = Buffer();
    for (auto _ : state) {
        for (size_t at = 0; at + 8 <= bytes.size(); at += 8)
            BF_ecb_encrypt(bytes.data() + at, bytes.data() + at, &key, BF_ENCRYPT);
        benchmark::DoNotOptimize(bytes.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBufferBytes));
}
BENCHMARK(BM_OpenSslEcbEncrypt);

void BM_ExpandKey(benchmark::State& state) {
    tessarin::CKeySchedule schedule;
    for (auto _ : state) {
        tessarin::ExpandKey(schedule, kKey, sizeof kKey);
        benchmark::DoNotOptimize(schedule.Words());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ExpandKey);

void BM_OpenSslSetKey(benchmark::State& state) {
    BF_KEY key;
    for (auto _ : state) {
        BF_set_key(&key, sizeof kKey, kKey);
        benchmark::DoNotOptimize(&key);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_OpenSslSetKey);

}  // namespace

BENCHMARK_MAIN();
