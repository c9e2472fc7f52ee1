#pragma once

// A file password prompt that answers from a script, for import tests.
#include <deque>
#include <optional>
#include <string>

#include "exchange/import_file.h"

namespace tessarin::test {

// Gives the passwords it was handed, one a question; a cancel once they run out.
class CScriptedFilePassword : public IFilePasswordPrompt {
public:
    std::optional<CSecret> AskFilePassword() override {
        ++asked;
        if (answers.empty())
            return std::nullopt;
        CSecret answer(answers.front());
        answers.pop_front();
        return answer;
    }
    std::deque<std::string> answers;
    int asked = 0;
};

}  // namespace tessarin::test
