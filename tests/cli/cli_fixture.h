#pragma once

// Runs the tool in-process on string streams, with a database path in a folder of the test's own
// and settings that start empty: the user's settings file is cleared before and after, and a
// folder of the test's own stands in for the system-wide one.
#include <gtest/gtest.h>

#include <QSettings>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "support/temp_dir.h"

namespace tessarin::cli {

struct CRun {
    int code;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    Cli() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                           QString::fromStdString(system.Path().string()));
        ClearSettings();
    }
    ~Cli() override { ClearSettings(); }

    static void ClearSettings() {
        QSettings user(QSettings::NativeFormat, QSettings::UserScope, "Marrowgate",
                       "Tessarin Desktop");
        user.clear();
        user.sync();
    }

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

    test::CTempDir system;
    test::CTempDir dir;
    std::string db = (dir / "TessarinDatabase.tdb").string();
};

}  // namespace tessarin::cli
