#pragma once

// Runs the tool in-process on string streams, with a database path in a folder of the test's own
// and settings that start empty.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_session.h"
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

    test::CSettingsSandbox settings;
    test::CTempDir dir;
    std::string db = (dir / "TessarinDatabase.tdb").string();
};

}  // namespace tessarin::cli
