#pragma once

// The object archive of the database file: little-endian numbers, length-prefixed strings, counted
// lists, and objects introduced by class descriptions or class references.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/byte_stream.h"

namespace tessarin {

// Malformed content: the load stops with this.
class CArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A class as the archive describes it.
struct CArchiveClass {
    std::string name;
    uint16_t schema = 0;
};

class CArchiveReader {
public:
    explicit CArchiveReader(IByteSource& source);

    void ReadBytes(void* data, size_t size);
    uint8_t Read8();
    uint16_t Read16();
    uint32_t Read32();
    std::string ReadString();
    // A list's count.
    uint32_t ReadCount();
    // The tag that introduces the next object of a list, with its class description when this is
    // the first object of the class. Returns the object's class; references to objects already read
    // and null references are refused, as every item occurs exactly once.
    const CArchiveClass& ReadObjectStart();
    // Fails unless `size` more bytes can still be read.
    void Require(uint64_t size) const;

private:
    void Fill();

    IByteSource& m_source;
    std::vector<uint8_t> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
    // Every class description and every object takes the next number, from 1.
    uint32_t m_counter = 1;
    std::vector<std::pair<uint32_t, CArchiveClass>> m_classes;
};

class CArchiveWriter {
public:
    explicit CArchiveWriter(IByteSink& sink);
    ~CArchiveWriter() = default;

    void WriteBytes(const void* data, size_t size);
    void Write8(uint8_t v) { WriteBytes(&v, 1); }
    void Write16(uint16_t v);
    void Write32(uint32_t v);
    void WriteString(std::string_view text);
    void WriteCount(uint32_t count);
    // Introduces the next object: the class description the first time, a class reference after.
    void WriteObjectStart(const char* className, uint16_t schema);
    // Hands everything buffered to the sink.
    void Flush();

private:
    IByteSink& m_sink;
    std::vector<uint8_t> m_buffer;
    uint32_t m_counter = 1;
    std::unordered_map<std::string, uint32_t> m_classNumbers;
};

}  // namespace tessarin
