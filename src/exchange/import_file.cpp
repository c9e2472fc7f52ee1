#include "exchange/import_file.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

#include "base/unique_handle.h"
#include "exchange/format_detection.h"
#include "exchange/vex_format.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/database_lock.h"
#include "store/file_io.h"

namespace tessarin {

int ReadWholeFile(const std::string& path, CFileBytes& out) {
    const CFileHandle fd(OpenForReading(path));
    if (!fd)
        return errno;
    int result = 0;
    try {
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0)
            throw CFileError(errno, "");
        if (S_ISDIR(st.st_mode))
            throw CFileError(EISDIR, "");
        // One byte more than the file holds shows whether it grew.
        size_t capacity = static_cast<size_t>(st.st_size) + 1;
        out.m_data.reset(new char[capacity]);
        out.m_size = 0;
        CFileSource source(fd.Get());
        while (size_t n = source.Read(out.m_data.get() + out.m_size, capacity - out.m_size)) {
            out.m_size += n;
            if (out.m_size < capacity)
                continue;
            capacity *= 2;
            std::unique_ptr<char[]> larger(new char[capacity]);
            std::memcpy(larger.get(), out.m_data.get(), out.m_size);
            out.m_data = std::move(larger);
        }
    } catch (const CFileError& e) {
        result = e.Code() ? e.Code() : EIO;
    } catch (const std::bad_alloc&) {
        result = ENOMEM;
    }
    return result;
}

namespace {

bool IsVex(ExchangeFormat format) {
    return format == ExchangeFormat::Vex1 || format == ExchangeFormat::Vex2;
}

CImportOutcome Failed() {
    CImportOutcome outcome;
    outcome.result = CImportOutcome::Failed;
    return outcome;
}

// The key that opens a protected exchange text: the database's own when it fits, else one made from
// what the prompt gives. None: cancelled (or the check block is damaged, after a message).
const CKeySchedule* FindFileKey(CCoreContext& context, std::string_view text,
                                IFilePasswordPrompt& prompt, std::unique_ptr<CKeySchedule>& owned,
                                bool& damaged) {
    damaged = false;
    if (context.DatabaseKey() && CheckFilePassword(text, context.DatabaseKey()) == 0)
        return context.DatabaseKey();
    if (!HasWholeCheckBlock(text)) {
        context.ShowMessage(str::kImportCheckBlockDamaged, {}, MessageIcon::Exclamation);
        damaged = true;
        return nullptr;
    }
    for (;;) {
        std::optional<CSecret> password = prompt.AskFilePassword();
        if (!password)
            return nullptr;
        owned = MakeKeySchedule(*password);
        if (CheckFilePassword(text, owned.get()) == 0)
            return owned.get();
        context.ShowMessage(str::kImportWrongPassword, {}, MessageIcon::Exclamation);
    }
}

// A restore: the whole text is read into a database of its own first. Only when every row was read
// whole does it replace the database's types, categories and records, after the file it replaces
// was kept beside itself; until then nothing changes.
CImportOutcome ReplaceFromText(CDatabaseObj& database, std::string_view text,
                               const CKeySchedule* key, IRecordList& list) {
    CCoreContext& context = database.Context();
    CDatabaseObj staging(context);
    CAllTypesList stagingList(staging);
    CNoticeList notices;
    CImportOutcome outcome =
        ImportRows(staging, ExchangeFormat::Vex2, text, key, stagingList, notices);
    if (outcome.result != CImportOutcome::Imported)
        return outcome;
    if (!outcome.ReadWhole()) {
        if (outcome.cut || outcome.unreadable)
            context.ShowMessage(str::kRestoreRowCut, {std::to_string(outcome.firstBadLine)},
                                MessageIcon::Exclamation);
        context.ShowMessage(str::kNothingRestored, {}, MessageIcon::Exclamation);
        outcome.result = CImportOutcome::Failed;
        return outcome;
    }

    // One hold of the lock from the copy to the save: nobody changes the file in between.
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    CStoreResult kept = hold.Held()
                            ? KeepCopyBeside(database, kBeforeRestoreSuffix, outcome.keptAt)
                            : CStoreResult::Failure(StoreCode::LockTimeout, 0, database.m_path);
    if (!kept.Ok()) {
        context.ShowMessage(str::kRestoreNotKept, {ResultText(kept, context.Strings())},
                            MessageIcon::Exclamation);
        outcome.result = CImportOutcome::Failed;
        outcome.save = std::move(kept);
        return outcome;
    }
    list.RemoveAll();
    database.m_types.ReplaceAll(staging.m_types.ReleaseAll());
    database.m_categories.ReplaceAll(staging.m_categories.ReleaseAll());
    database.m_records.ReplaceAll(staging.m_records.ReleaseAll());
    FinishImport(database, list, notices, outcome);
    return outcome;
}

}  // namespace

CImportOutcome ImportFile(CDatabaseObj& database, ExchangeFormat format, const std::string& path,
                          bool replace, IRecordList& list, IFilePasswordPrompt& prompt) {
    CCoreContext& context = database.Context();
    std::string file = path;
    if (file.size() && file.front() == '"')
        file.erase(0, 1);
    if (file.size() && file.back() == '"')
        file.pop_back();

    CFileBytes bytes;
    if (ReadWholeFile(file, bytes) != 0) {
        context.ShowMessage(str::kErrorReadingImportFile, {}, MessageIcon::Exclamation);
        return Failed();
    }
    const std::string_view text = bytes.View();
    const ExchangeFormat detected = DetectFormat(text);
    if (format == ExchangeFormat::Detect || replace) {
        if (detected == ExchangeFormat::NotText ||
            (replace && detected != ExchangeFormat::Vex2 && detected != ExchangeFormat::LaterVex)) {
            context.ShowMessage(str::kImportNotText, {context.Strings().Get(str::kProgramName)},
                                MessageIcon::Exclamation);
            return Failed();
        }
        if (detected == ExchangeFormat::LaterVex) {
            context.ShowMessage(str::kImportFutureVersion, {}, MessageIcon::Exclamation);
            return Failed();
        }
        if (format == ExchangeFormat::Detect)
            format = detected == ExchangeFormat::CsvExport ? ExchangeFormat::Csv : detected;
    }

    std::unique_ptr<CKeySchedule> owned;
    const CKeySchedule* key = nullptr;
    if (IsVex(format) && IsProtectedVex(text)) {
        bool damaged = false;
        key = FindFileKey(context, text, prompt, owned, damaged);
        if (!key) {
            CImportOutcome outcome;
            outcome.result = damaged ? CImportOutcome::Failed : CImportOutcome::Cancelled;
            return outcome;
        }
    }

    if (replace)
        return ReplaceFromText(database, text, key, list);
    return ImportText(database, format, text, key, list);
}

}  // namespace tessarin
