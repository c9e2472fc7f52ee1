#pragma once

// The imports that reach the record view outside the File menu: a file that a second start of the
// program handed over (asked about first, and kept for the unlock while the program is locked), and
// the sample data of a first run. Each is one change of the session.
#include <string>
#include <vector>

#include "exchange/import_file.h"

namespace tessarin {

class CTessarinDesktopView;

class CViewImports {
public:
    explicit CViewImports(CTessarinDesktopView& view) : m_view(view) {}

    // Asks message 161 with the file's name, and imports the file on Yes. While the program is
    // locked the file waits for the unlock: a second start handed it over and has ended; while a
    // save writes the file, it waits for the save's end.
    void ImportWithConfirmation(const std::string& path);
    // The files handed over while locked, each asked about in turn. Called after an unlock.
    void ImportHandedOver();
    // Imports without asking (the sample data of a first run).
    CImportOutcome ImportFile(const std::string& path);
    // Where the password of a protected import file is asked; a plain password field when none.
    void SetFilePasswordPrompt(IFilePasswordPrompt* prompt) { m_filePasswordPrompt = prompt; }

private:
    CTessarinDesktopView& m_view;
    IFilePasswordPrompt* m_filePasswordPrompt = nullptr;
    std::vector<std::string> m_handedOver;
};

}  // namespace tessarin
