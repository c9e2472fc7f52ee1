#include "store/store_result.h"

#include "base/codepage.h"
#include "base/error_codes.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace tessarin {

std::string ResultText(const CStoreResult& result, const CStringTable& strings) {
    const std::string path = Utf8ToCp1252Shown(result.path);
    const std::string detail = result.detail.empty() ? HexCode(result.error) : result.detail;
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
