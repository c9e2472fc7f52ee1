#pragma once

// The custom icon file beside a database: a handheld resource database whose bitmap resources
// are the icons. Reading it never reports to the user; a caller that wants to say why no icons
// came can look at the result.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/palm_bitmap.h"

namespace tessarin {

// The bitmap resources of a damaged file stay out of memory past this size.
inline constexpr uint64_t kMaxIconFileSize = uint64_t(64) << 20;

// One bitmap resource of the file: its bytes (a bitmap family) and its resource id.
struct CIconEntry {
    std::vector<uint8_t> m_bytes;
    uint16_t m_resourceId = 0;
};

enum class EIconFileResult {
    kRead,       // valid; every bitmap resource is in the list
    kMissing,    // the file cannot be opened
    kInvalid,    // not a valid handheld database: no icons
    kReadError,  // the file could not be read or is too large to hold
};

// The path of the icon file: the folder joined with the handheld name and ".pdb". None when the
// name cannot be a file in that folder (it holds a slash or a zero byte).
std::optional<std::string> IconFilePath(const std::string& folder, const std::string& handheldName);

// Whether the bytes are a valid handheld database container.
bool IsValidPalmDatabase(const uint8_t* data, size_t size);

class CIconList {
public:
    // Empties the list, then fills it from the icon file of `handheldName` in `folder`.
    EIconFileResult ReadIconFile(const std::string& folder, const std::string& handheldName);
    // Empties the list, then fills it from the bytes of an icon file.
    EIconFileResult ReadIconData(const uint8_t* data, size_t size);

    void Empty() { m_icons.clear(); }
    size_t Size() const { return m_icons.size(); }

    // The first icon with that resource id, or none.
    const CIconEntry* FindIcon(uint16_t resourceId) const;
    // The icon at that position, or none.
    const CIconEntry* IconAt(size_t index) const;
    // The position of the icon, or 0 when it is not in the list.
    size_t IndexOfIcon(const CIconEntry* entry) const;

private:
    std::vector<CIconEntry> m_icons;
};

// The bitmap of the icon's family to draw in a target of that size: the first, then along the
// chain while the next one fits. None when even the first bitmap's header is not all there.
std::optional<CFamilyBitmap> ChooseBitmap(const CIconEntry& entry, int width, int height);

// Whether the chosen bitmap is no wider and no higher than the target.
bool FitsIn(const CIconEntry& entry, int width, int height);

// Decodes the chosen bitmap of the family (its bytes run to the end of the icon's).
std::optional<CDecodedBitmap> DecodeFamilyBitmap(const CIconEntry& entry,
                                                 const CFamilyBitmap& bitmap);
std::optional<uint32_t> TransparentColour(const CIconEntry& entry, const CFamilyBitmap& bitmap);

}  // namespace tessarin
