#pragma once

// Importing a file: reading it whole, finding its format, the password step of protected exchange
// files, and the row import.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/secure_memory.h"
#include "exchange/row_import.h"

namespace tessarin {

class CCoreContext;
class CKeySchedule;

// What the name of the database that a restore replaced ends in, beside the database.
inline constexpr const char* kBeforeRestoreSuffix = ".before-restore";

// Asks for the password of a protected import file (the "Get Password" dialog 183).
class IFilePasswordPrompt {
public:
    virtual ~IFilePasswordPrompt() = default;
    // None when the user cancels.
    virtual std::optional<CSecret> AskFilePassword() = 0;
    // The file's password was found, or the user gave up: a prompt that keeps what was typed (to
    // ask again with it selected) lets go of it, so that the next file never starts with it.
    virtual void Done() {}
};

// A file's bytes, read whole.
class CFileBytes {
public:
    std::string_view View() const { return {m_data.get(), m_size}; }

private:
    friend int ReadWholeFile(const std::string& path, CFileBytes& out);
    // Not zeroed first: every byte of it is read from the file.
    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
};

// Reads a whole file, with one read of the size it has (a file that grows meanwhile is read to
// its end). 0 or the errno value.
int ReadWholeFile(const std::string& path, CFileBytes& out);

// Imports the file at `path` (double quotes around it are dropped) in `format`, or in the format
// detection finds (Detect). Messages: 605 when it cannot be read; with detection 606 for a file
// that is not text and 180 for an exchange file of a later version. A protected exchange file opens
// with the database's key when that fits, else with a password the prompt gives: 608 after each
// wrong one, until one fits or the prompt is cancelled (then nothing changes).
//
// `replace` (Restore) replaces every type, category and record by what the file holds, but only
// once the file was read, is an exchange file of version 2.0 (606 or 180 otherwise: restoring
// anything else would only empty the database), its password step succeeded, and every row of it
// was read whole into a database of its own (a zero byte, a row without values, a row cut short,
// an item too large or too little memory refuse the restore with their message and 20355, and the
// database stays as it was). The file it replaces is first kept beside itself, named with
// kBeforeRestoreSuffix (then -2, -3 and so on; see the outcome's keptAt), so that even a backup cut
// between two rows, which no reader can tell from a whole one, loses nothing.
CImportOutcome ImportFile(CDatabaseObj& database, ExchangeFormat format, const std::string& path,
                          bool replace, IRecordList& list, IFilePasswordPrompt& prompt);

// ImportFile in steps, for a caller that reads and parses the file on another thread than the one
// that owns the database: ReadImportSource and ParseRows (row_import.h) on any thread, the rest on
// the database's.
struct CImportSource {
    enum Problem {
        None,
        Unreadable,
        NotText,
        LaterVex,
        NotThatExport,    // a password manager's format was asked for: the columns are not its
        EncryptedExport,  // Bitwarden's JSON export, encrypted
    } problem = None;
    ExchangeFormat format = ExchangeFormat::Detect;  // what to read the text as
    CFileBytes bytes;
};
// Reads the file and finds its format as ImportFile does, and says nothing. A password manager's
// format asked for by name needs a first line that names one of its columns.
CImportSource ReadImportSource(const std::string& path, ExchangeFormat format, bool replace);
// Reads another password manager's export: the format its first line shows, else `chosen` when
// that line names one of its columns.
CImportSource ReadManagerExport(const std::string& path, ExchangeFormat chosen);
// ImportFile's message for the source's problem; false when it has none.
bool ReportSourceProblem(CCoreContext& context, const CImportSource& source);

// The key that opens a protected exchange text: the database's own when it fits, else one made from
// what the prompt gives, with message 608 after each wrong one. No key is needed (Open with none)
// for any other text.
struct CFileKey {
    enum Result { Open, Cancelled, Damaged } result = Open;  // Damaged: after a message
    const CKeySchedule* key = nullptr;
    std::unique_ptr<CKeySchedule> owned;
};
CFileKey FindFileKey(CCoreContext& context, ExchangeFormat format, std::string_view text,
                     IFilePasswordPrompt& prompt);

// ImportFile's steps once the file is read: the source's problem said (Failed), then the key of a
// protected exchange text found (Failed when the file is damaged, Cancelled when no password was
// given). None when the import goes on, with `key`.
std::optional<CImportOutcome> CheckSource(CCoreContext& context, const CImportSource& source,
                                          IFilePasswordPrompt& prompt, CFileKey& key);

// What every restore does before it replaces anything: unless something was not read whole
// (messages 20354 and 20355; Failed), the database's file is kept beside itself (message 20356 and
// Failed when it cannot be); `replace` then runs while the lock is still held, and its result is
// the outcome's save.
CImportOutcome ReplaceOnceKept(CDatabaseObj& database, CImportOutcome outcome,
                               const std::function<CStoreResult()>& replace);

// A restore's second half: `staging` holds every row of the backup, read with CAllTypesList (the
// outcome and notices of that). Unless something was not read whole, the database's file is kept
// beside itself and every type, category and record is replaced by the staging database's.
CImportOutcome ReplaceDatabase(CDatabaseObj& database, CDatabaseObj& staging,
                               const CNoticeList& notices, CImportOutcome outcome,
                               IRecordList& list);

}  // namespace tessarin
