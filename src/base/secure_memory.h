#pragma once

// Memory that holds secrets (key schedules, passwords): wiped before it is given back, and kept out
// of swap where the system allows it.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin {

// Overwrites memory with zeros in a way the compiler may not drop.
void WipeMemory(void* data, size_t size);

// Asks the system to keep the pages out of swap; silently does nothing where it cannot.
void LockMemory(const void* data, size_t size);
void UnlockMemory(const void* data, size_t size);

// An allocator whose memory is locked while in use and wiped before it is freed.
template <typename T>
struct CWipingAllocator {
    using value_type = T;
    CWipingAllocator() = default;
    template <typename U>
    CWipingAllocator(const CWipingAllocator<U>&) {}

    T* allocate(size_t n) {
        T* p = std::allocator<T>().allocate(n);
        LockMemory(p, n * sizeof(T));
        return p;
    }
    void deallocate(T* p, size_t n) {
        WipeMemory(p, n * sizeof(T));
        UnlockMemory(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }
    template <typename U>
    bool operator==(const CWipingAllocator<U>&) const {
        return true;
    }
};

// A secret text (a password), single-byte Windows-1252. It never uses an inline short-string
// buffer, so all its bytes live in wiped memory.
class CSecret {
public:
    CSecret() = default;
    explicit CSecret(std::string_view text) : m_bytes(text.begin(), text.end()) {}
    CSecret(const CSecret&) = default;
    CSecret(CSecret&&) noexcept = default;
    CSecret& operator=(const CSecret&) = default;
    CSecret& operator=(CSecret&&) noexcept = default;

    std::string_view View() const { return {m_bytes.data(), m_bytes.size()}; }
    const unsigned char* Bytes() const {
        return reinterpret_cast<const unsigned char*>(m_bytes.data());
    }
    size_t Size() const { return m_bytes.size(); }
    bool Empty() const { return m_bytes.empty(); }
    void Clear() { m_bytes.clear(); }
    bool operator==(const CSecret& other) const { return m_bytes == other.m_bytes; }

private:
    std::vector<char, CWipingAllocator<char>> m_bytes;
};

}  // namespace tessarin
