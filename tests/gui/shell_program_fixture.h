#pragma once

// The whole program over a database that has a password, with the lock's dialogs answered by a
// script and its timer moved by the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/desktop_app.h"
#include "app/frame_states.h"
#include "app/locking.h"
#include "app/main_frame.h"
#include "gui/file_commands_fixture.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"

namespace tessarin::test {

class ShellProgram : public ProgramFixture {
protected:
    static constexpr const char* kPassword = "Secret1";

    // A new database in the standalone user's folder with these records (field 1 each) and,
    // unless it is empty, this password.
    void MakeDatabase(const std::vector<std::string>& names,
                      const std::string& password = kPassword) {
        std::filesystem::remove(DatabasePathIn(Folder()));
        CCoreContext context;
        CDatabaseObj database(context);
        ASSERT_TRUE(Open(database, Folder()).Ok());
        CNoticeList notices;
        for (const std::string& name : names)
            database.AddFromColumns({"Web Logins", name, "me", "pw"}, "Personal", 21, 4, {},
                                    notices);
        if (password.empty())
            ASSERT_TRUE(Save(database).Ok());
        else
            ASSERT_TRUE(ChangePassword(database, CSecret(password)).Ok());
    }
    // Starts the program on that database; the login takes the password.
    std::unique_ptr<CTessarinDesktopApp> Start() {
        m_prompts.passwords = {kPassword};
        auto app = Make();
        EXPECT_TRUE(app->InitInstance());
        if (app->Lock())
            app->Lock()->m_quit = [this](int code) { m_quitCode = code; };
        return app;
    }
    std::vector<unsigned char> DatabaseBytes() const {
        return ReadFileBytes(DatabasePathIn(Folder()));
    }

    int m_quitCode = -1;
};

}  // namespace tessarin::test
