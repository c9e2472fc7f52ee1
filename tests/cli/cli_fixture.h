#pragma once

// Runs the tool in-process on string streams, with a database path in a folder of the test's own
// and settings that start empty.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "support/fixtures.h"
#include "support/settings_sandbox.h"
#include "support/temp_dir.h"

namespace tessarin::cli {

struct CRun {
    int code;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    CRun Run(std::vector<std::string> args, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out, err;
        CCliIo io{in, out, err, false};
        const int code = RunCli(args, io);
        return {code, out.str(), err.str()};
    }
    std::vector<std::string> With(std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", db});
        return args;
    }
    // Writes the database at `db` that `fill` builds, protected when a password is given.
    void Make(const std::function<void(CDatabaseObj&)>& fill, const char* password = nullptr) {
        test::CTestContext context;
        SetDatabaseKey(context, CSecret(password ? password : ""));
        CDatabaseObj database(context);
        database.m_path = db;
        if (password)
            database.m_checkBlock = MakeCheckBlock(CSecret(password));
        fill(database);
        ASSERT_TRUE(Save(database).Ok());
    }

    test::CSettingsSandbox settings;
    test::CTempDir dir;
    std::string db = (dir / "TessarinDatabase.tdb").string();
};

}  // namespace tessarin::cli
