#pragma once

// Where the archive reader gets its bytes and where the writer puts them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tessarin {

class IByteSource {
public:
    virtual ~IByteSource() = default;
    // Reads up to `size` bytes; fewer only at the end of the data. Throws on a read failure.
    virtual size_t Read(void* data, size_t size) = 0;
    // How many bytes are left, as far as known (used to refuse impossible lengths early).
    virtual uint64_t Remaining() const = 0;
};

class IByteSink {
public:
    virtual ~IByteSink() = default;
    // Writes all bytes or throws.
    virtual void Write(const void* data, size_t size) = 0;
};

class CMemorySource : public IByteSource {
public:
    CMemorySource(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
    size_t Read(void* data, size_t size) override {
        const size_t n = size < m_size - m_pos ? size : m_size - m_pos;
        if (n)
            std::memcpy(data, m_data + m_pos, n);
        m_pos += n;
        return n;
    }
    uint64_t Remaining() const override { return m_size - m_pos; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

class CMemorySink : public IByteSink {
public:
    void Write(const void* data, size_t size) override {
        const auto* p = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), p, p + size);
    }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace tessarin
