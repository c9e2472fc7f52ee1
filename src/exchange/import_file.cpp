#include "exchange/import_file.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

#include "base/unique_handle.h"
#include "exchange/format_detection.h"
#include "exchange/manager_formats.h"
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

// A restore: the whole text is read into a database of its own first (see ReplaceDatabase).
CImportOutcome ReplaceFromText(CDatabaseObj& database, std::string_view text,
                               const CKeySchedule* key, IRecordList& list) {
    CDatabaseObj staging(database.Context());
    CAllTypesList stagingList(staging);
    CNoticeList notices;
    CImportOutcome outcome =
        ImportRows(staging, ExchangeFormat::Vex2, text, key, stagingList, notices);
    return ReplaceDatabase(database, staging, notices, std::move(outcome), list);
}

}  // namespace

CFileKey FindFileKey(CCoreContext& context, ExchangeFormat format, std::string_view text,
                     IFilePasswordPrompt& prompt) {
    CFileKey found;
    if (!IsVex(format) || !IsProtectedVex(text))
        return found;
    if (context.DatabaseKey() && CheckFilePassword(text, context.DatabaseKey()) == 0) {
        found.key = context.DatabaseKey();
        return found;
    }
    if (!HasWholeCheckBlock(text)) {
        context.ShowMessage(str::kImportCheckBlockDamaged, {}, MessageIcon::Exclamation);
        found.result = CFileKey::Damaged;
        return found;
    }
    for (;;) {
        std::optional<CSecret> password = prompt.AskFilePassword();
        if (!password) {
            prompt.Done();
            found.result = CFileKey::Cancelled;
            return found;
        }
        found.owned = MakeKeySchedule(*password);
        if (CheckFilePassword(text, found.owned.get()) == 0) {
            prompt.Done();
            found.key = found.owned.get();
            return found;
        }
        context.ShowMessage(str::kImportWrongPassword, {}, MessageIcon::Exclamation);
    }
}

CImportOutcome ReplaceOnceKept(CDatabaseObj& database, CImportOutcome outcome,
                               const std::function<CStoreResult()>& replace) {
    CCoreContext& context = database.Context();
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
    outcome.save = replace();
    return outcome;
}

CImportOutcome ReplaceDatabase(CDatabaseObj& database, CDatabaseObj& staging,
                               const CNoticeList& notices, CImportOutcome outcome,
                               IRecordList& list) {
    return ReplaceOnceKept(database, std::move(outcome), [&] {
        list.RemoveAll();
        database.m_types.ReplaceAll(staging.m_types.ReleaseAll());
        database.m_categories.ReplaceAll(staging.m_categories.ReleaseAll());
        database.m_records.ReplaceAll(staging.m_records.ReleaseAll());
        CImportOutcome finished;
        FinishImport(database, list, notices, finished);
        return finished.save;
    });
}

namespace {

// Reads the file at `path`, double quotes around it dropped. False after setting the problem.
bool ReadSource(const std::string& path, CImportSource& source) {
    std::string file = path;
    if (file.size() && file.front() == '"')
        file.erase(0, 1);
    if (file.size() && file.back() == '"')
        file.pop_back();
    if (ReadWholeFile(file, source.bytes) != 0) {
        source.problem = CImportSource::Unreadable;
        return false;
    }
    return true;
}

// A password manager's export that cannot be read as such.
void CheckManagerSource(CImportSource& source, bool asked) {
    if (!IsManagerFormat(source.format))
        return;
    const std::string_view text = source.bytes.View();
    if (asked && !LooksLikeManagerExport(source.format, text))
        source.problem = CImportSource::NotThatExport;
    else if (source.format == ExchangeFormat::Bitwarden && IsEncryptedBitwardenJson(text))
        source.problem = CImportSource::EncryptedExport;
}

}  // namespace

CImportSource ReadManagerExport(const std::string& path, ExchangeFormat chosen) {
    CImportSource source;
    source.format = chosen;
    if (!ReadSource(path, source))
        return source;
    const std::optional<ExchangeFormat> found = DetectManagerExport(source.bytes.View());
    source.format = found.value_or(chosen);
    CheckManagerSource(source, !found);
    return source;
}

CImportSource ReadImportSource(const std::string& path, ExchangeFormat format, bool replace) {
    CImportSource source;
    if (!ReadSource(path, source))
        return source;
    const ExchangeFormat detected = DetectFormat(source.bytes.View());
    source.format = format;
    if (format == ExchangeFormat::Detect || replace) {
        // Restoring anything but an exchange file of version 2.0 would only empty the database.
        if (detected == ExchangeFormat::NotText ||
            (replace && detected != ExchangeFormat::Vex2 && detected != ExchangeFormat::LaterVex)) {
            source.problem = CImportSource::NotText;
            return source;
        }
        if (detected == ExchangeFormat::LaterVex) {
            source.problem = CImportSource::LaterVex;
            return source;
        }
        if (format == ExchangeFormat::Detect)
            source.format = detected == ExchangeFormat::CsvExport ? ExchangeFormat::Csv : detected;
    }
    CheckManagerSource(source, format != ExchangeFormat::Detect);
    return source;
}

bool ReportSourceProblem(CCoreContext& context, const CImportSource& source) {
    switch (source.problem) {
        case CImportSource::None:
            return false;
        case CImportSource::Unreadable:
            context.ShowMessage(str::kErrorReadingImportFile, {}, MessageIcon::Exclamation);
            break;
        case CImportSource::NotText:
            context.ShowMessage(str::kImportNotText, {context.Strings().Get(str::kProgramName)},
                                MessageIcon::Exclamation);
            break;
        case CImportSource::LaterVex:
            context.ShowMessage(str::kImportFutureVersion, {}, MessageIcon::Exclamation);
            break;
        case CImportSource::NotThatExport:
            context.ShowMessage(str::kManagerNotThatExport,
                                {context.Strings().Get(FindManagerFormat(source.format)->name)},
                                MessageIcon::Exclamation);
            break;
        case CImportSource::EncryptedExport:
            context.ShowMessage(str::kManagerEncryptedExport, {}, MessageIcon::Exclamation);
            break;
    }
    return true;
}

std::optional<CImportOutcome> CheckSource(CCoreContext& context, const CImportSource& source,
                                          IFilePasswordPrompt& prompt, CFileKey& key) {
    if (ReportSourceProblem(context, source))
        return Failed();
    key = FindFileKey(context, source.format, source.bytes.View(), prompt);
    if (key.result == CFileKey::Open)
        return std::nullopt;
    CImportOutcome outcome;
    outcome.result =
        key.result == CFileKey::Damaged ? CImportOutcome::Failed : CImportOutcome::Cancelled;
    return outcome;
}

CImportOutcome ImportFile(CDatabaseObj& database, ExchangeFormat format, const std::string& path,
                          bool replace, IRecordList& list, IFilePasswordPrompt& prompt) {
    const CImportSource source = ReadImportSource(path, format, replace);
    CFileKey key;
    if (std::optional<CImportOutcome> ended = CheckSource(database.Context(), source, prompt, key))
        return *ended;
    const std::string_view text = source.bytes.View();
    CImportOutcome outcome = replace ? ReplaceFromText(database, text, key.key, list)
                                     : ImportText(database, source.format, text, key.key, list);
    outcome.format = source.format;
    return outcome;
}

}  // namespace tessarin
