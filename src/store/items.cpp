#include "store/items.h"

#include <cstring>
#include <iterator>

#include "base/bytes.h"
#include "base/crc16.h"
#include "security/blowfish.h"
#include "store/packed_form.h"

namespace tessarin {

namespace {

// The first bytes of a packed form, zero where the form is shorter.
template <size_t N>
std::array<uint8_t, N> Header(const uint8_t* buffer, size_t size) {
    std::array<uint8_t, N> h{};
    if (size)
        std::memcpy(h.data(), buffer, size < N ? size : N);
    return h;
}

uint8_t* PutString(uint8_t* p, std::string_view text) {
    if (!text.empty())
        std::memcpy(p, text.data(), text.size());
    p[text.size()] = 0;
    return p + text.size() + 1;
}

uint8_t* PutPackedNote(uint8_t* p, std::string_view note) {
    for (char c : note)
        if (c != '\r')
            *p++ = static_cast<uint8_t>(c);
    *p++ = 0;
    return p;
}

size_t SizeOfStrings(const CBaseItem& item) {
    size_t size = 0;
    for (int i = 0; i < kFieldCount; ++i)
        size += item.GetValue(i).size() + 1;
    return size;
}

}  // namespace

// --- column layout ----------------------------------------------------------------------------

CColumnLayout::CColumnLayout() {
    for (int i = 0; i < kEntries; ++i)
        entries[i] = {static_cast<uint16_t>(i), 50, 1, 0};
}

CColumnLayout CColumnLayout::Default() {
    CColumnLayout layout;
    layout.count = 10;
    layout.entries = {};
    layout.entries[0] = {0, 27, 1, 1};
    layout.entries[1] = {1, 140, 1, 0};
    layout.entries[2] = {2, 140, 1, 0};
    for (uint16_t c = 3; c <= 8; ++c)
        layout.entries[c] = {c, 85, 1, 0};
    layout.entries[9] = {9, 24, 1, 1};
    return layout;
}

std::array<uint8_t, CColumnLayout::kBytes> CColumnLayout::ToBytes() const {
    std::array<uint8_t, kBytes> bytes{};
    WriteLE32(bytes.data(), count);
    for (int i = 0; i < kEntries; ++i) {
        uint8_t* e = bytes.data() + 4 + 6 * i;
        WriteLE16(e, entries[i].column);
        WriteLE16(e + 2, entries[i].width);
        e[4] = entries[i].visible;
        e[5] = entries[i].flag;
    }
    bytes[94] = tail[0];
    bytes[95] = tail[1];
    return bytes;
}

CColumnLayout CColumnLayout::FromBytes(const uint8_t* bytes) {
    CColumnLayout layout;
    layout.count = ReadLE32(bytes);
    for (int i = 0; i < kEntries; ++i) {
        const uint8_t* e = bytes + 4 + 6 * i;
        layout.entries[i] = {ReadLE16(e), ReadLE16(e + 2), e[4], e[5]};
    }
    layout.tail = {bytes[94], bytes[95]};
    return layout;
}

std::unique_ptr<CBaseItem> NewItemOfKind(int kind) {
    switch (kind) {
        case kKindRecord:
            return std::make_unique<CRecord>();
        case kKindType:
            return std::make_unique<CTypeItem>();
        default:
            return std::make_unique<CCategoryItem>();
    }
}

// --- packed-form helpers ------------------------------------------------------------------------

std::string_view ReadPackedString(const uint8_t* buffer, size_t size, size_t& pos) {
    if (pos >= size)
        return {};
    const auto* begin = reinterpret_cast<const char*>(buffer + pos);
    const void* nul = std::memchr(begin, 0, size - pos);
    const size_t length = nul ? static_cast<const char*>(nul) - begin : size - pos;
    pos += nul ? length + 1 : length;
    return {begin, length};
}

size_t PackedNoteSize(std::string_view note) {
    size_t size = 1;
    for (char c : note)
        if (c != '\r')
            ++size;
    return size;
}

std::string NoteFromPacked(std::string_view packed) {
    std::string note;
    note.reserve(packed.size() + 8);
    for (char c : packed) {
        if (c == '\n')
            note += '\r';
        note += c;
    }
    return note;
}

uint16_t PackedChecksum(const uint8_t* packed, size_t size) {
    const size_t length = size >= kFillerSize ? (size - kFillerSize) & 0xFFFF : 0;
    // Bytes 0-1 count as zero: they are where the checksum goes.
    static const uint8_t zeros[2] = {0, 0};
    uint16_t crc = Crc16(zeros, length < 2 ? length : 2, 1259);
    if (length > 2)
        crc = Crc16(packed + 2, length - 2, crc);
    return crc;
}

// --- base ---------------------------------------------------------------------------------------

bool CBaseItem::IsEmpty() const {
    for (int i = 0; i < kFieldCount; ++i)
        if (!GetValue(i).empty())
            return false;
    return true;
}

void CBaseItem::SetValue(int index, std::string_view text) {
    if (index >= 0 && index < kFieldCount)
        m_text.Set(static_cast<size_t>(index), text);
}

void CBaseItem::CopyFrom(const CBaseItem& other) {
    if (&other == this)
        return;
    m_recordNumber = other.m_recordNumber;
    m_modified = other.m_modified;
    m_deleted = other.m_deleted;
    std::string_view values[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        values[i] = other.GetValue(i);
    m_text.SetRange(0, values, kFieldCount);
    m_maskBits = other.m_maskBits;
    m_key = other.m_key;
    m_icon = other.m_icon;
    m_checksum = other.m_checksum;
}

size_t CBaseItem::PackInto(uint8_t*) const {
    return 0;
}

void CBaseItem::UnpackFrom(const uint8_t*, size_t) {}

void PackItem(const CBaseItem& item, uint8_t* out, size_t size, const CFillerBytes& filler,
              const CKeySchedule* key) {
    size_t pos = item.PackInto(out);
    for (size_t i = 0; i < kFillerSize && pos < size; ++i)
        out[pos++] = filler[i];
    out[0] = out[1] = 0;
    WriteBE16(out, PackedChecksum(out, size));
    if (key && size > kPackedHeaderSize)
        CipherInPlace(*key, out + kPackedHeaderSize, size - kPackedHeaderSize, true);
}

void CBaseItem::BuildPacked(CPackedBytes& out, const CKeySchedule* key,
                            CFillerSource& filler) const {
    const size_t size = PackedSize();
    out.resize(size);
    PackItem(*this, out.data(), size, DrawFiller(filler), key);
}

void CBaseItem::ReadPacked(uint8_t* packed, size_t size, const CKeySchedule* key) {
    if (key && size > kPackedHeaderSize)
        CipherInPlace(*key, packed + kPackedHeaderSize, size - kPackedHeaderSize, false);
    UnpackFrom(packed, size);
}

void CBaseItem::ReadOldLayout(const uint8_t* packed, size_t size, size_t textsAt) {
    const auto h = Header<4>(packed, size);
    m_key = ItemKey::BuiltIn(0);
    m_key.bytes[6] = h[0];
    m_key.bytes[7] = h[1];
    m_icon = h[2];
    m_maskBits = 0;
    size_t pos = textsAt;
    if (HasName())
        SetNameFromPacked(ReadPackedString(packed, size, pos));
    std::string_view values[kFieldCount];
    for (auto& v : values)
        v = ReadPackedString(packed, size, pos);
    m_text.SetRange(0, values, kFieldCount);
    if (HasNoteInPacked())
        SetNoteFromPacked(ReadPackedString(packed, size, pos));
}

void CBaseItem::ReadPackedOld(uint8_t* packed, size_t size, const CKeySchedule*) {
    ReadOldLayout(packed, size, 4);
}

void CBaseItem::ReadPackedV4(uint8_t* packed, size_t size, const CKeySchedule* key) {
    m_checksum = ReadBE16(Header<6>(packed, size).data() + 4);
    if (key && size > 6)
        CipherInPlace(*key, packed + 6, size - 6, false);
    ReadOldLayout(packed, size, 6);
}

// --- categories and types ---------------------------------------------------------------------

void CCategory::CopyFrom(const CBaseItem& other) {
    CBaseItem::CopyFrom(other);
    if (const auto* named = dynamic_cast<const CCategory*>(&other); named && named != this)
        SetName(named->GetName());
}

size_t CCategoryItem::PackedSize() const {
    return GetName().size() + 30;
}

size_t CCategoryItem::PackInto(uint8_t* buffer) const {
    std::memset(buffer, 0, kPackedHeaderSize);
    std::memcpy(buffer + 2, m_key.bytes.data(), 8);
    return PutString(buffer + kPackedHeaderSize, GetName()) - buffer;
}

void CCategoryItem::UnpackFrom(const uint8_t* buffer, size_t size) {
    const auto h = Header<kPackedHeaderSize>(buffer, size);
    std::memcpy(m_key.bytes.data(), &h[2], 8);
    size_t pos = kPackedHeaderSize;
    SetName(ReadPackedString(buffer, size, pos));
}

size_t CTypeItem::PackedSize() const {
    return GetName().size() + 30 + SizeOfStrings(*this);
}

size_t CTypeItem::PackInto(uint8_t* buffer) const {
    std::memset(buffer, 0, kPackedHeaderSize);
    std::memcpy(buffer + 2, m_key.bytes.data(), 8);
    WriteBE16(buffer + 10, m_icon);
    WriteBE16(buffer + 12, m_maskBits);
    uint8_t* p = PutString(buffer + kPackedHeaderSize, GetName());
    for (int i = 0; i < kFieldCount; ++i)
        p = PutString(p, GetValue(i));
    return p - buffer;
}

void CTypeItem::UnpackFrom(const uint8_t* buffer, size_t size) {
    const auto h = Header<kPackedHeaderSize>(buffer, size);
    std::memcpy(m_key.bytes.data(), &h[2], 8);
    m_icon = ReadBE16(&h[10]);
    m_maskBits = ReadBE16(&h[12]);
    size_t pos = kPackedHeaderSize;
    std::string_view texts[kFieldCount + 1];
    for (auto& t : texts)
        t = ReadPackedString(buffer, size, pos);
    // Name last in the texts, first in the packed form.
    m_text.SetRange(kNameSlot, &texts[0], 1);
    m_text.SetRange(0, &texts[1], kFieldCount);
}

// --- records ------------------------------------------------------------------------------------

void CRecord::CopyFrom(const CBaseItem& other) {
    CBaseItem::CopyFrom(other);
    if (const auto* record = dynamic_cast<const CRecord*>(&other); record && record != this) {
        std::string_view views[kFieldCount + 1];
        for (size_t i = 0; i <= kFieldCount; ++i)
            views[i] = record->m_text.Get(kNoteSlot + i);
        m_text.SetRange(kNoteSlot, views, kFieldCount + 1);
        m_categoryKey = record->m_categoryKey;
    }
}

void CRecord::SetTexts(const std::array<std::string_view, kFieldCount>& values,
                       std::string_view note,
                       const std::array<std::string_view, kFieldCount>& customLabels) {
    std::string_view texts[kLabelSlot + kFieldCount];
    for (size_t i = 0; i < kFieldCount; ++i) {
        texts[i] = values[i];
        texts[kLabelSlot + i] = customLabels[i];
    }
    texts[kNoteSlot] = note;
    m_text.SetRange(0, texts, std::size(texts));
}

void CRecord::SetCustomLabelText(int index, std::string_view text) {
    if (index >= 0 && index < kFieldCount)
        m_text.Set(kLabelSlot + static_cast<size_t>(index), text);
}

int CRecord::CustomLabelCount() const {
    int count = 0;
    for (int i = 0; i < kFieldCount; ++i)
        count += !GetCustomLabel(i).empty();
    return count;
}

void CRecord::ApplyType(const CTypeItem* type) {
    m_key = type ? type->m_key : ZeroKey;
    m_icon = type ? type->m_icon : kDefaultIcon;
    m_maskBits = type ? type->m_maskBits : 0;
    const std::string_view empty[kFieldCount];
    m_text.SetRange(kLabelSlot, empty, kFieldCount);
}

std::string CRecord::LabelFor(int index, const CTypeItem* type, std::string_view defaultLabel,
                              bool addColon) const {
    std::string label(GetCustomLabel(index));
    if (label.empty())
        label = type ? type->GetLabel(index) : defaultLabel;
    if (addColon && !label.empty() && label.back() != ':')
        label += ':';
    return label;
}

void CRecord::SetCustomLabel(int index, std::string_view text, const CTypeItem* type) {
    SetCustomLabelText(index, type && type->GetLabel(index) == text ? std::string_view() : text);
}

std::string_view CRecord::DisplayValue(int index, bool masking) const {
    const std::string_view value = GetValue(index);
    if (masking && !value.empty() && (m_maskBits >> index & 1))
        return "****";
    return value;
}

void CRecord::SetNoteFromPacked(std::string_view note) {
    SetNote(NoteFromPacked(note));
}

size_t CRecord::PackedSize() const {
    size_t size = 29 + SizeOfStrings(*this) + PackedNoteSize(GetNote());
    if (CustomLabelCount())
        for (int i = 0; i < kFieldCount; ++i)
            size += GetCustomLabel(i).size() + 1;
    return size;
}

size_t CRecord::PackInto(uint8_t* buffer) const {
    buffer[0] = buffer[1] = 0;
    std::memcpy(buffer + 2, m_key.bytes.data(), 8);
    std::memcpy(buffer + 10, m_categoryKey.bytes.data(), 8);
    WriteBE16(buffer + 18, m_icon);
    WriteBE16(buffer + 20, m_maskBits);
    uint8_t* p = buffer + kPackedHeaderSize;
    for (int i = 0; i < kFieldCount; ++i)
        p = PutString(p, GetValue(i));
    p = PutPackedNote(p, GetNote());
    if (CustomLabelCount())
        for (int i = 0; i < kFieldCount; ++i)
            p = PutString(p, GetCustomLabel(i));
    return p - buffer;
}

void CRecord::UnpackFrom(const uint8_t* buffer, size_t size) {
    const auto h = Header<kPackedHeaderSize>(buffer, size);
    std::memcpy(m_key.bytes.data(), &h[2], 8);
    std::memcpy(m_categoryKey.bytes.data(), &h[10], 8);
    m_icon = ReadBE16(&h[18]);
    m_maskBits = ReadBE16(&h[20]);
    size_t pos = kPackedHeaderSize;
    std::string_view texts[kFieldCount * 2 + 1];
    for (int i = 0; i < kFieldCount; ++i)
        texts[i] = ReadPackedString(buffer, size, pos);
    const std::string note = NoteFromPacked(ReadPackedString(buffer, size, pos));
    texts[kNoteSlot] = note;
    // Custom labels are there only when something other than the filler follows the note.
    if (pos + kFillerSize < size)
        for (int i = 0; i < kFieldCount; ++i)
            texts[kLabelSlot + i] = ReadPackedString(buffer, size, pos);
    m_text.SetRange(0, texts, kFieldCount * 2 + 1);
}

void CRecord::ReadPackedOld(uint8_t* packed, size_t size, const CKeySchedule* key) {
    if (key) {
        // Everything after the first value's NUL is enciphered, from an even offset on.
        size_t pos = 4;
        ReadPackedString(packed, size, pos);
        if (pos < size)
            CipherInPlaceEven(*key, packed + pos, size - pos, pos, false);
    }
    CBaseItem::ReadPackedOld(packed, size, key);
    m_categoryKey = ZeroKey;
}

}  // namespace tessarin
