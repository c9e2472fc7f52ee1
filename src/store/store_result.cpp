#include "store/store_result.h"

#include "base/codepage.h"
#include "base/error_codes.h"
#include "resources/error_text.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace tessarin {

std::string ResultText(const CStoreResult& result, const CStringTable& strings) {
    const std::string path = Utf8ToCp1252Shown(result.path);
    // What went wrong: the system's error in words with its code, after what was being done.
    std::string detail = result.detail;
    if (result.error != 0) {
        const bool writing =
            result.code == StoreCode::WriteFailed || result.code == StoreCode::KeepFailed;
        const std::string words = writing ? WriteErrorWords(strings, result.error, result.path)
                                          : ErrorWords(strings, result.error);
        detail = (detail.empty() ? std::string() : detail + ": ") +
                 WordsWithCode(strings, words, result.error);
    } else if (detail.empty()) {
        detail = HexCode(result.error);
    }
    switch (result.code) {
        case StoreCode::Ok:
            return {};
        case StoreCode::LockTimeout:
            return strings.Format(str::kResultLockTimeout, {path});
        case StoreCode::SaveSuspended:
            return strings.Get(str::kResultSaveSuspended);
        case StoreCode::NotRead:
            return strings.Format(str::kResultNotRead, {path});
        case StoreCode::KeyChanged:
            return strings.Format(str::kResultKeyChanged, {path});
        case StoreCode::OpenFailed:
        case StoreCode::ReadFailed:
        case StoreCode::Malformed:
            return strings.Format(str::kResultUnreadable, {path, detail});
        case StoreCode::WriteFailed:
        case StoreCode::KeepFailed:
            return strings.Format(str::kResultNotSaved, {path, detail});
        case StoreCode::TargetExists:
            return strings.Get(str::kDatabaseAlreadyExists);
        case StoreCode::MoveFailed:
            return strings.Get(str::kErrorMovingDatabase);
        case StoreCode::NestedFolders:
            return strings.Format(str::kResultNestedFolders, {path});
    }
    return {};
}

}  // namespace tessarin
