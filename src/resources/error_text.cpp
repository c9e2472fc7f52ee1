#include "resources/error_text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/codepage.h"
#include "base/error_codes.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace tessarin {

namespace {

struct CErrorText {
    int code;
    int words;     // without a place
    int wordsAt;   // with the place as its "%s"; 0: the words alone serve
    bool folders;  // a failed write is the folder's fault, not the file's
};

// clang-format off
constexpr CErrorText kTexts[] = {
    {ENOSPC,       str::kErrorNoSpace,          str::kErrorNoSpaceAt,          true},
    {EDQUOT,       str::kErrorQuota,            str::kErrorQuotaAt,            true},
    {EACCES,       str::kErrorAccess,           str::kErrorAccessAt,           true},
    {EPERM,        str::kErrorNotPermitted,     str::kErrorNotPermittedAt,     true},
    {EROFS,        str::kErrorReadOnly,         str::kErrorReadOnlyAt,         true},
    {ENOENT,       str::kErrorNoEntry,          str::kErrorNoEntryAt,          true},
    {EIO,          str::kErrorInputOutput,      str::kErrorInputOutputAt,      false},
    {ENAMETOOLONG, str::kErrorNameTooLong,      str::kErrorNameTooLongAt,      false},
    {EMFILE,       str::kErrorTooManyOpen,      0,                             false},
    {ENFILE,       str::kErrorTooManyOpen,      0,                             false},
    {EFBIG,        str::kErrorTooLarge,         str::kErrorTooLargeAt,         false},
    {ENOTDIR,      str::kErrorNotFolder,        str::kErrorNotFolderAt,        false},
    {EISDIR,       str::kErrorIsFolder,         str::kErrorIsFolderAt,         false},
    {ELOOP,        str::kErrorLink,             str::kErrorLinkAt,             false},
    {EEXIST,       str::kErrorExists,           str::kErrorExistsAt,           false},
    {EBUSY,        str::kErrorBusy,             str::kErrorBusyAt,             false},
    {ENOMEM,       str::kErrorNoMemory,         0,                             false},
};
// clang-format on

const CErrorText* TextOf(int code) {
    for (const CErrorText& text : kTexts)
        if (text.code == code)
            return &text;
    return nullptr;
}

// The system's own description, for codes without a text here.
std::string SystemDescription(int code) {
    char buffer[256];
    const char* text = strerror_r(code, buffer, sizeof buffer);
    std::string words = Utf8ToCp1252Shown(text ? text : "");
    if (!words.empty() && words[0] >= 'A' && words[0] <= 'Z')
        words[0] = static_cast<char>(words[0] - 'A' + 'a');
    return words;
}

}  // namespace

std::string ErrorWords(const CStringTable& strings, int code, std::string_view where) {
    if (code == 0)
        return {};
    if (IsVolumeUnavailable(code))
        return where.empty() ? strings.Get(str::kErrorVolumeGone)
                             : strings.Format(str::kErrorVolumeGoneAt, {Utf8ToCp1252Shown(where)});
    const CErrorText* text = TextOf(code);
    if (!text)
        return SystemDescription(code);
    if (where.empty() || text->wordsAt == 0)
        return strings.Get(text->words);
    return strings.Format(text->wordsAt, {Utf8ToCp1252Shown(where)});
}

std::string WriteErrorWords(const CStringTable& strings, int code, std::string_view filePath) {
    const CErrorText* text = TextOf(code);
    if ((text && text->folders) || IsVolumeUnavailable(code)) {
        const std::filesystem::path folder = std::filesystem::path(filePath).parent_path();
        if (!folder.empty())
            return ErrorWords(strings, code, folder.string());
    }
    return ErrorWords(strings, code, filePath);
}

std::string WordsWithCode(const CStringTable& strings, std::string_view words, int code) {
    if (words.empty())
        return HexCode(code);
    return strings.Format(str::kErrorWordsWithCode, {words, HexCode(code)});
}

std::string FileErrorDetail(const CStringTable& strings, int code, std::string_view path,
                            bool writing) {
    if (code == 0)
        return {};
    return strings.Format(str::kErrorDetailLine, {writing ? WriteErrorWords(strings, code, path)
                                                          : ErrorWords(strings, code, path)});
}

}  // namespace tessarin
