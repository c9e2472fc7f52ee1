#include "exchange/import_file.h"

#include <cerrno>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

#include "exchange/format_detection.h"
#include "exchange/vex_format.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/file_io.h"

namespace tessarin {

int ReadWholeFile(const std::string& path, std::string& out) {
    const int fd = OpenForReading(path);
    if (fd < 0)
        return errno;
    int result = 0;
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            throw CFileError(errno, "");
        if (S_ISDIR(st.st_mode))
            throw CFileError(EISDIR, "");
        // One read of the size the file has; a file that grows meanwhile is read to its end.
        out.resize(static_cast<size_t>(st.st_size));
        CFileSource source(fd);
        size_t done = source.Read(out.data(), out.size());
        out.resize(done);
        char more[65536];
        while (size_t n = source.Read(more, sizeof more))
            out.append(more, n);
    } catch (const CFileError& e) {
        result = e.Code() ? e.Code() : EIO;
    } catch (const std::bad_alloc&) {
        result = ENOMEM;
    }
    ::close(fd);
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

}  // namespace

CImportOutcome ImportFile(CDatabaseObj& database, ExchangeFormat format, const std::string& path,
                          bool replace, IRecordList& list, IFilePasswordPrompt& prompt) {
    CCoreContext& context = database.Context();
    std::string file = path;
    if (file.size() && file.front() == '"')
        file.erase(0, 1);
    if (file.size() && file.back() == '"')
        file.pop_back();

    std::string text;
    if (ReadWholeFile(file, text) != 0) {
        context.ShowMessage(str::kErrorReadingImportFile, {}, MessageIcon::Exclamation);
        return Failed();
    }
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

    if (replace) {
        list.RemoveAll();
        database.m_types.Clear();
        database.m_categories.Clear();
        database.m_records.Clear();
    }
    return ImportText(database, format, text, key, list);
}

}  // namespace tessarin
