#include "exchange/import_file.h"

#include <cerrno>
#include <cstring>
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

int ReadWholeFile(const std::string& path, CFileBytes& out) {
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
        // One byte more than the file holds shows whether it grew.
        size_t capacity = static_cast<size_t>(st.st_size) + 1;
        out.m_data.reset(new char[capacity]);
        out.m_size = 0;
        CFileSource source(fd);
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

    if (replace) {
        list.RemoveAll();
        database.m_types.Clear();
        database.m_categories.Clear();
        database.m_records.Clear();
    }
    return ImportText(database, format, text, key, list);
}

}  // namespace tessarin
