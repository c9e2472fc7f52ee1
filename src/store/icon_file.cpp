#include "store/icon_file.h"

#include <cstring>
#include <filesystem>
#include <new>

#include <unistd.h>

#include "base/bytes.h"
#include "base/codepage.h"
#include "base/unique_handle.h"
#include "store/file_io.h"

namespace tessarin {

namespace {

// The container header as far as it is read; entries follow it.
constexpr size_t kHeaderSize = 78;
constexpr size_t kNameSize = 32;
constexpr size_t kOffsetAttributes = 32;
constexpr size_t kOffsetAppInfo = 52;
constexpr size_t kOffsetSortInfo = 56;
constexpr size_t kOffsetType = 60;
constexpr size_t kOffsetCreator = 64;
constexpr size_t kOffsetNextList = 72;
constexpr size_t kOffsetCount = 76;
constexpr uint16_t kResourceDatabase = 0x0001;
constexpr size_t kResourceEntrySize = 10;
constexpr size_t kRecordEntrySize = 8;
constexpr uint8_t kBitmapType[4] = {'T', 'b', 'm', 'p'};

bool IsResourceDatabase(const uint8_t* data) {
    return ReadBE16(data + kOffsetAttributes) & kResourceDatabase;
}

bool Fits(const CBitmapHeader& header, int width, int height) {
    return header.width <= width && header.height <= height;
}

}  // namespace

std::optional<std::string> IconFilePath(const std::string& folder,
                                        const std::string& handheldName) {
    if (handheldName.find_first_of(std::string("/\0", 2)) != std::string::npos)
        return std::nullopt;
    return (std::filesystem::path(folder) / (Cp1252ToUtf8(handheldName) + ".pdb")).string();
}

bool IsValidPalmDatabase(const uint8_t* data, size_t size) {
    if (size < kHeaderSize + 2)
        return false;
    if (!std::memchr(data, 0, kNameSize) || ReadBE32(data + kOffsetType) == 0 ||
        ReadBE32(data + kOffsetCreator) == 0 || ReadBE32(data + kOffsetNextList) != 0)
        return false;
    const bool resources = IsResourceDatabase(data);
    const size_t entrySize = resources ? kResourceEntrySize : kRecordEntrySize;
    const size_t count = ReadBE16(data + kOffsetCount);
    // The first byte after the entry list and its two bytes of padding.
    const uint64_t dataStart = kHeaderSize + count * entrySize + 2;
    if (size < dataStart)
        return false;

    const uint32_t appInfo = ReadBE32(data + kOffsetAppInfo);
    const uint32_t sortInfo = ReadBE32(data + kOffsetSortInfo);
    if (appInfo != 0 && (appInfo != dataStart || appInfo >= size))
        return false;
    if (sortInfo != 0 && (sortInfo >= size || sortInfo < dataStart || sortInfo <= appInfo ||
                          (appInfo == 0 && sortInfo != dataStart)))
        return false;
    if (appInfo == 0 && sortInfo == 0 && count == 0 && size > dataStart)
        return false;

    uint64_t previous = sortInfo != 0 ? sortInfo : appInfo;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kHeaderSize + i * entrySize;
        const uint32_t offset = ReadBE32(resources ? entry + 6 : entry);
        if (offset == 0) {
            // A record being deleted may have no data yet.
            if (resources || !(entry[entrySize - 1] & 0x80))
                return false;
            continue;
        }
        if (offset <= previous || offset >= size || (offset < dataStart && offset != dataStart - 2))
            return false;
        previous = offset;
    }
    return true;
}

EIconFileResult CIconList::ReadIconFile(const std::string& folder,
                                        const std::string& handheldName) {
    Empty();
    const std::optional<std::string> path = IconFilePath(folder, handheldName);
    if (!path)
        return EIconFileResult::kMissing;
    const CFileHandle fd(OpenForReading(*path));
    if (!fd)
        return EIconFileResult::kMissing;
    std::vector<uint8_t> bytes;
    bool read = false;
    try {
        CFileSource source(fd.Get());
        if (source.Remaining() <= kMaxIconFileSize) {
            bytes.resize(static_cast<size_t>(source.Remaining()));
            bytes.resize(source.Read(bytes.data(), bytes.size()));
            read = true;
        }
    } catch (const CFileError&) {
    } catch (const std::bad_alloc&) {
    }
    return read ? ReadIconData(bytes.data(), bytes.size()) : EIconFileResult::kReadError;
}

EIconFileResult CIconList::ReadIconData(const uint8_t* data, size_t size) {
    Empty();
    if (!IsValidPalmDatabase(data, size))
        return EIconFileResult::kInvalid;
    // A record database holds no resources, so no icons.
    if (!IsResourceDatabase(data))
        return EIconFileResult::kRead;
    const size_t count = ReadBE16(data + kOffsetCount);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kHeaderSize + i * kResourceEntrySize;
        const uint32_t offset = ReadBE32(entry + 6);
        const uint64_t end = i + 1 < count ? ReadBE32(entry + kResourceEntrySize + 6) : size;
        if (offset == 0 || end <= offset)
            break;
        if (std::memcmp(entry, kBitmapType, sizeof kBitmapType) != 0)
            continue;
        try {
            m_icons.push_back(
                {std::vector<uint8_t>(data + offset, data + end), ReadBE16(entry + 4)});
        } catch (const std::bad_alloc&) {
            return EIconFileResult::kReadError;
        }
    }
    return EIconFileResult::kRead;
}

const CIconEntry* CIconList::FindIcon(uint16_t resourceId) const {
    for (const CIconEntry& icon : m_icons)
        if (icon.m_resourceId == resourceId)
            return &icon;
    return nullptr;
}

const CIconEntry* CIconList::IconAt(size_t index) const {
    return index < m_icons.size() ? &m_icons[index] : nullptr;
}

size_t CIconList::IndexOfIcon(const CIconEntry* entry) const {
    for (size_t i = 0; i < m_icons.size(); ++i)
        if (&m_icons[i] == entry)
            return i;
    return 0;
}

std::optional<CFamilyBitmap> ChooseBitmap(const CIconEntry& entry, int width, int height) {
    const std::vector<CFamilyBitmap> family =
        ListBitmapFamily(entry.m_bytes.data(), entry.m_bytes.size());
    if (family.empty())
        return std::nullopt;
    size_t chosen = 0;
    while (chosen + 1 < family.size() && Fits(family[chosen + 1].header, width, height))
        ++chosen;
    return family[chosen];
}

bool FitsIn(const CIconEntry& entry, int width, int height) {
    const std::optional<CFamilyBitmap> chosen = ChooseBitmap(entry, width, height);
    return chosen && Fits(chosen->header, width, height);
}

std::optional<CDecodedBitmap> DecodeFamilyBitmap(const CIconEntry& entry,
                                                 const CFamilyBitmap& bitmap) {
    if (bitmap.offset > entry.m_bytes.size())
        return std::nullopt;
    return DecodeBitmap(entry.m_bytes.data() + bitmap.offset, entry.m_bytes.size() - bitmap.offset);
}

std::optional<uint32_t> TransparentColour(const CIconEntry& entry, const CFamilyBitmap& bitmap) {
    if (bitmap.offset > entry.m_bytes.size())
        return std::nullopt;
    return TransparentColour(entry.m_bytes.data() + bitmap.offset,
                             entry.m_bytes.size() - bitmap.offset);
}

}  // namespace tessarin
