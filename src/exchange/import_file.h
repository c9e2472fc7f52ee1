#pragma once

// Importing a file: reading it whole, finding its format, the password step of protected exchange
// files, and the row import.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/secure_memory.h"
#include "exchange/row_import.h"

namespace tessarin {

// Asks for the password of a protected import file (the "Get Password" dialog 183).
class IFilePasswordPrompt {
public:
    virtual ~IFilePasswordPrompt() = default;
    // None when the user cancels.
    virtual std::optional<CSecret> AskFilePassword() = 0;
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
// `replace` (Restore) destroys every type, category and record before the row import, but only
// once the file was read, is an exchange file of version 2.0 (606 or 180 otherwise: restoring
// anything else would only empty the database) and its password step succeeded.
CImportOutcome ImportFile(CDatabaseObj& database, ExchangeFormat format, const std::string& path,
                          bool replace, IRecordList& list, IFilePasswordPrompt& prompt);

}  // namespace tessarin
