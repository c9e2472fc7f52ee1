#include "base/random_source.h"

#include <array>

namespace tessarin {

CRandomSource::CRandomSource() {
    SeedFromSystem();
}

void CRandomSource::SeedFromSystem() {
    std::random_device device;
    std::array<uint32_t, std::mt19937::state_size> words;
    for (auto& w : words)
        w = device();
    std::seed_seq seq(words.begin(), words.end());
    m_engine.seed(seq);
}

}  // namespace tessarin
