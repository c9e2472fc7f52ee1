#include "store/archive.h"

#include <algorithm>

#include "base/bytes.h"
#include "base/codepage.h"

namespace tessarin {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000;
constexpr size_t kMaxClassName = 63;

}  // namespace

// --- reader -------------------------------------------------------------------------------------

CArchiveReader::CArchiveReader(IByteSource& source) : m_source(source), m_buffer(kBufferSize) {}

void CArchiveReader::Fill() {
    if (m_pos > 0) {
        std::copy(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_pos),
                  m_buffer.begin() + static_cast<std::ptrdiff_t>(m_end), m_buffer.begin());
        m_end -= m_pos;
        m_pos = 0;
    }
    m_end += m_source.Read(m_buffer.data() + m_end, m_buffer.size() - m_end);
}

void CArchiveReader::Require(uint64_t size) const {
    if (size > (m_end - m_pos) + m_source.Remaining())
        throw CArchiveError("the file ends before the data it announces");
}

void CArchiveReader::ReadBytes(void* data, size_t size) {
    auto* out = static_cast<uint8_t*>(data);
    while (size) {
        if (m_pos == m_end) {
            if (size >= m_buffer.size()) {
                // Large blocks go straight from the source.
                const size_t n = m_source.Read(out, size);
                if (n == 0)
                    throw CArchiveError("the file ends early");
                out += n;
                size -= n;
                continue;
            }
            Fill();
            if (m_pos == m_end)
                throw CArchiveError("the file ends early");
        }
        const size_t n = std::min(size, m_end - m_pos);
        std::copy_n(m_buffer.data() + m_pos, n, out);
        m_pos += n;
        out += n;
        size -= n;
    }
}

uint8_t CArchiveReader::Read8() {
    if (m_pos == m_end) {
        Fill();
        if (m_pos == m_end)
            throw CArchiveError("the file ends early");
    }
    return m_buffer[m_pos++];
}

uint16_t CArchiveReader::Read16() {
    if (m_end - m_pos >= 2) {
        const uint16_t v = ReadLE16(m_buffer.data() + m_pos);
        m_pos += 2;
        return v;
    }
    uint8_t b[2];
    ReadBytes(b, 2);
    return ReadLE16(b);
}

uint32_t CArchiveReader::Read32() {
    if (m_end - m_pos >= 4) {
        const uint32_t v = ReadLE32(m_buffer.data() + m_pos);
        m_pos += 4;
        return v;
    }
    uint8_t b[4];
    ReadBytes(b, 4);
    return ReadLE32(b);
}

std::string CArchiveReader::ReadString() {
    bool wide = false;
    uint32_t length = Read8();
    if (length == 0xFF) {
        uint16_t word = Read16();
        if (word == 0xFFFE) {
            // Text stored as 16-bit characters: a second length prefix follows.
            wide = true;
            length = Read8();
            if (length == 0xFF)
                word = Read16();
        }
        if (length == 0xFF) {
            length = word;
            if (word == 0xFFFF) {
                length = Read32();
                if (length == 0xFFFFFFFF)
                    throw CArchiveError("a text is too long");
            }
        }
    }
    const uint64_t bytes = wide ? uint64_t(length) * 2 : length;
    Require(bytes);
    if (!wide) {
        std::string text(length, '\0');
        ReadBytes(text.data(), length);
        return text;
    }
    std::u16string units(length, u'\0');
    std::vector<uint8_t> raw(bytes);
    ReadBytes(raw.data(), raw.size());
    for (uint32_t i = 0; i < length; ++i)
        units[i] = static_cast<char16_t>(ReadLE16(&raw[2 * i]));
    return Utf16ToCp1252(units);
}

uint32_t CArchiveReader::ReadCount() {
    const uint16_t count = Read16();
    return count != 0xFFFF ? count : Read32();
}

const CArchiveClass& CArchiveReader::ReadObjectStart() {
    const uint16_t word = Read16();
    if (word == kNewClassTag) {
        CArchiveClass description;
        description.schema = Read16();
        const uint16_t nameLength = Read16();
        if (nameLength > kMaxClassName)
            throw CArchiveError("a class name is too long");
        description.name.resize(nameLength);
        ReadBytes(description.name.data(), nameLength);
        m_classes.emplace_back(m_counter++, std::move(description));
        ++m_counter;  // the object
        return m_classes.back().second;
    }
    const uint32_t tag = word == kBigObjectTag
                             ? Read32()
                             : (uint32_t(word & kClassTag) << 16) | (word & ~kClassTag & 0xFFFF);
    if (!(tag & kBigClassTag)) {
        throw CArchiveError(tag == 0 ? "a list holds an empty object reference"
                                     : "a list refers back to an object already read");
    }
    const uint32_t number = tag & ~kBigClassTag;
    for (const auto& [classNumber, description] : m_classes) {
        if (classNumber == number) {
            ++m_counter;
            return description;
        }
    }
    throw CArchiveError("a class reference is out of range");
}

// --- writer -------------------------------------------------------------------------------------

CArchiveWriter::CArchiveWriter(IByteSink& sink) : m_sink(sink) {
    m_buffer.reserve(kBufferSize);
}

void CArchiveWriter::Flush() {
    if (!m_buffer.empty())
        m_sink.Write(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
}

void CArchiveWriter::WriteBytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (m_buffer.size() + size > kBufferSize) {
        Flush();
        if (size >= kBufferSize) {
            m_sink.Write(p, size);
            return;
        }
    }
    m_buffer.insert(m_buffer.end(), p, p + size);
}

void CArchiveWriter::Write16(uint16_t v) {
    uint8_t b[2];
    WriteLE16(b, v);
    WriteBytes(b, 2);
}

void CArchiveWriter::Write32(uint32_t v) {
    uint8_t b[4];
    WriteLE32(b, v);
    WriteBytes(b, 4);
}

void CArchiveWriter::WriteString(std::string_view text) {
    const size_t length = text.size();
    if (length < 0xFF) {
        Write8(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        Write8(0xFF);
        Write16(static_cast<uint16_t>(length));
    } else {
        Write8(0xFF);
        Write16(0xFFFF);
        Write32(static_cast<uint32_t>(length));
    }
    WriteBytes(text.data(), length);
}

void CArchiveWriter::WriteCount(uint32_t count) {
    if (count < 0xFFFF) {
        Write16(static_cast<uint16_t>(count));
    } else {
        Write16(0xFFFF);
        Write32(count);
    }
}

void CArchiveWriter::WriteObjectStart(const char* className, uint16_t schema) {
    auto it = m_classNumbers.find(className);
    if (it == m_classNumbers.end()) {
        const std::string_view name(className);
        Write16(kNewClassTag);
        Write16(schema);
        Write16(static_cast<uint16_t>(name.size()));
        WriteBytes(name.data(), name.size());
        m_classNumbers.emplace(name, m_counter++);
    } else if (it->second < kBigObjectTag) {
        Write16(static_cast<uint16_t>(kClassTag | it->second));
    } else {
        Write16(kBigObjectTag);
        Write32(kBigClassTag | it->second);
    }
    ++m_counter;  // the object
}

}  // namespace tessarin
