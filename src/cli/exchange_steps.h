#pragma once

// The steps the exchange commands share: the passwords of exchange files (asked on the terminal or
// read from standard input), writing all records to a file, and what an import says at its end;
// and the check, which every command writing a file makes, that it is not the database.
#include <optional>
#include <string>

#include "cli/cli_session.h"
#include "exchange/exchange_writer.h"
#include "exchange/import_file.h"

namespace tessarin::cli {

// The optional password of a new exchange file, asked twice and checked as the "Get Password"
// dialog does (137, 155). On a terminal it is asked again after a mistake; otherwise the mistake
// ends the command. None: the command ends (after a message).
std::optional<CSecret> AskNewFilePassword(CCliSession& session);

// Whether two paths name the same file (or would, once it exists): a file written safely to the
// database's path would replace the database.
bool SameFile(const std::string& a, const std::string& b);

// Opens the database and writes all its records to `out` in the format, with a password of the
// file's own when `protect`; says `successMessage`. The exit code.
int ExportAllRecords(CCliSession& session, ExportFormat format, bool protect,
                     const std::string& out, int successMessage);

// The exit code of an import or restore; once its save succeeded, says how many records it made.
int ReportImport(CCliSession& session, const CImportOutcome& outcome, int countMessage);

// The password of a protected import file. On a terminal it is asked after each wrong one until
// the input ends; otherwise one line is read, and a wrong or missing one ends the import (608).
class CCliFilePrompt : public IFilePasswordPrompt {
public:
    explicit CCliFilePrompt(CCliSession& session) : m_session(session) {}
    std::optional<CSecret> AskFilePassword() override;

private:
    CCliSession& m_session;
    bool m_asked = false;
};

}  // namespace tessarin::cli
