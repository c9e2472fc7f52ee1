// The password generator: 100,000 passwords of 20 characters by each method, against the floor of
// drawing the same number of words (100,000 x 20) from a plain std::mt19937.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "security/password_generator.h"

namespace {

constexpr size_t kPasswords = 100000;
constexpr size_t kLength = 20;

void Report(benchmark::State& state) {
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPasswords));
}

// One draw per character: what any generator of 20 characters needs at the least.
void BM_Floor_Mt19937Draws(benchmark::State& state) {
    std::mt19937 engine(1);
    for (auto _ : state) {
        uint32_t sink = 0;
        for (size_t i = 0; i < kPasswords * kLength; ++i)
            sink ^= static_cast<uint32_t>(engine());
        benchmark::DoNotOptimize(sink);
    }
    Report(state);
}
BENCHMARK(BM_Floor_Mt19937Draws)->Unit(benchmark::kMillisecond);

// Into a buffer, as GeneratePassword is called.
void Generate(benchmark::State& state, uint16_t bits) {
    tessarin::CRandomSource random(1);
    tessarin::CPasswordGenerator generator(random);
    char out[kLength + 1];
    for (auto _ : state) {
        for (size_t i = 0; i < kPasswords; ++i) {
            generator.GeneratePassword(kLength, bits, out);
            benchmark::DoNotOptimize(out);
        }
    }
    Report(state);
}

void BM_Random_AllSets(benchmark::State& state) {
    Generate(state, tessarin::kAllSets);
}
BENCHMARK(BM_Random_AllSets)->Unit(benchmark::kMillisecond);

// The smallest set: about 26 draws per kept character.
void BM_Random_DigitsOnly(benchmark::State& state) {
    Generate(state, tessarin::kSetDigits);
}
BENCHMARK(BM_Random_DigitsOnly)->Unit(benchmark::kMillisecond);

void BM_Pronounceable_AllSets(benchmark::State& state) {
    Generate(state, tessarin::kAllSets | tessarin::kPronounceable);
}
BENCHMARK(BM_Pronounceable_AllSets)->Unit(benchmark::kMillisecond);

void BM_Pronounceable_LowerCase(benchmark::State& state) {
    Generate(state, tessarin::kSetLower | tessarin::kPronounceable);
}
BENCHMARK(BM_Pronounceable_LowerCase)->Unit(benchmark::kMillisecond);

// From the source the program uses: the system's cryptographic random source.
void BM_Random_AllSets_SystemSource(benchmark::State& state) {
    tessarin::CSystemRandom random;
    tessarin::CPasswordGenerator generator(random);
    char out[kLength + 1];
    for (auto _ : state) {
        for (size_t i = 0; i < kPasswords; ++i) {
            generator.GeneratePassword(kLength, tessarin::kAllSets, out);
            benchmark::DoNotOptimize(out);
        }
    }
    Report(state);
}
BENCHMARK(BM_Random_AllSets_SystemSource)->Unit(benchmark::kMillisecond);

void BM_Pronounceable_AllSets_SystemSource(benchmark::State& state) {
    tessarin::CSystemRandom random;
    tessarin::CPasswordGenerator generator(random);
    char out[kLength + 1];
    for (auto _ : state) {
        for (size_t i = 0; i < kPasswords; ++i) {
            generator.GeneratePassword(kLength, tessarin::kAllSets | tessarin::kPronounceable, out);
            benchmark::DoNotOptimize(out);
        }
    }
    Report(state);
}
BENCHMARK(BM_Pronounceable_AllSets_SystemSource)->Unit(benchmark::kMillisecond);

// As the dialog and the tool take it: a CSecret, whose memory is locked and wiped.
void BM_Random_AllSets_Secret(benchmark::State& state) {
    tessarin::CRandomSource random(1);
    tessarin::CPasswordGenerator generator(random);
    for (auto _ : state) {
        for (size_t i = 0; i < kPasswords; ++i) {
            tessarin::CSecret password = generator.Generate(kLength, tessarin::kAllSets);
            benchmark::DoNotOptimize(password.Bytes());
        }
    }
    Report(state);
}
BENCHMARK(BM_Random_AllSets_Secret)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
