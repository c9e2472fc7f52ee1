// Database files written by the independent reader and writer in tools/reference, each with the
// dump that loading it must give. tools/reference/make_fixtures.py writes them into tests/data/tdb;
// files in tests/data/tdb/pending are known to disagree and are not run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "support/temp_dir.h"

namespace tessarin::cli {
namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::path(TESSARIN_TEST_DATA) / "tdb";

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// NAME.password, or nothing for a file without password.
std::string PasswordInput(const std::string& name) {
    const fs::path path = kFolder / (name + ".password");
    return fs::exists(path) ? ReadText(path) : std::string();
}

// "fnv1a64 HEX SIZE", as make_fixtures.py writes for dumps and files too large to keep.
std::string Digest(const std::string& bytes) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char b : bytes)
        hash = (hash ^ b) * 0x100000001B3ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return "fnv1a64 " + std::string(hex) + " " + std::to_string(bytes.size()) + "\n";
}

// Where two texts first differ: the line number and both lines around that place.
std::string FirstDifference(const std::string& want, const std::string& got) {
    size_t at = 0, line = 1, lineStart = 0;
    while (at < want.size() && at < got.size() && want[at] == got[at]) {
        if (want[at] == '\n') {
            ++line;
            lineStart = at + 1;
        }
        ++at;
    }
    const size_t from = at - lineStart > 60 ? at - 60 : lineStart;
    auto excerpt = [&](const std::string& text) {
        const size_t end = text.find('\n', from);
        return text.substr(from, std::min<size_t>(end, text.size()) - from).substr(0, 160);
    };
    return "line " + std::to_string(line) + "\n  expected: " + excerpt(want) +
           "\n  dumped:   " + excerpt(got);
}

// Fixture names (without extension) of the files ending in `extension`, sorted.
std::vector<std::string> Names(const std::string& extension) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(kFolder))
        if (entry.is_regular_file() && entry.path().extension() == extension)
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct CRun {
    int code;
    std::string out;
    std::string err;
};

// `dump` run in this process, with the password lines on its standard input.
CRun Dump(const fs::path& db, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out, err;
    CCliIo io{in, out, err, false};
    const int code = RunCli({"--db", db.string(), "dump"}, io);
    return {code, out.str(), err.str()};
}

// Runs tessarin-cli in a process of its own, whose filler generator starts fresh, so that the
// files it writes are the same every time.
int RunFresh(const std::vector<std::string>& args, const std::string& input) {
    std::string command = TESSARIN_CLI_PATH;
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " >/dev/null 2>&1";
    FILE* pipe = ::popen(command.c_str(), "w");
    if (!pipe)
        return -1;
    std::fputs(input.c_str(), pipe);
    return ::pclose(pipe);
}

std::string ParamName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param;
}

class ReferenceFile : public ::testing::TestWithParam<std::string> {};

TEST_P(ReferenceFile, LoadsAsTheReferenceReaderReadsIt) {
    const std::string name = GetParam();
    const std::string password = PasswordInput(name);
    test::CTempDir dir;
    const fs::path db = dir / (name + ".tdb");
    fs::copy_file(kFolder / (name + ".tdb"), db);

    const CRun dump = Dump(db, password);
    ASSERT_EQ(dump.code, 0) << dump.err;
    if (fs::exists(kFolder / (name + ".json"))) {
        const std::string want = ReadText(kFolder / (name + ".json"));
        EXPECT_TRUE(dump.out == want) << FirstDifference(want, dump.out);
    } else {
        EXPECT_EQ(Digest(dump.out), ReadText(kFolder / (name + ".digest")))
            << "tools/reference/check_file.py prints the expected dump";
    }

    const fs::path upgraded = kFolder / (name + ".upgraded");
    if (!fs::exists(upgraded)) {
        EXPECT_EQ(ReadText(db), ReadText(kFolder / (name + ".tdb")))
            << "loading a current file rewrote it";
        return;
    }
    // An older file is rewritten as version 5 by the load itself.
    const fs::path fresh = dir / "fresh.tdb";
    fs::copy_file(kFolder / (name + ".tdb"), fresh);
    ASSERT_EQ(RunFresh({"--db", fresh.string(), "dump"}, password), 0);
    EXPECT_EQ(Digest(ReadText(fresh)), ReadText(upgraded))
        << "the upgraded file differs from tdb.saved_after_upgrade in tools/reference";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ReferenceFile, ::testing::ValuesIn(Names(".tdb")), ParamName);

class DamagedReferenceFile : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedReferenceFile, IsRefusedAndLeftAsItWas) {
    const std::string name = GetParam();
    test::CTempDir dir;
    const fs::path db = dir / (name + ".tdb");
    fs::copy_file(kFolder / (name + ".bad"), db);

    const CRun dump = Dump(db, PasswordInput(name));
    EXPECT_EQ(dump.code, 1);
    EXPECT_EQ(dump.err.rfind("The database " + db.string() + " could not be read: ", 0), 0u)
        << dump.err;
    EXPECT_EQ(dump.out, "");
    EXPECT_EQ(ReadText(db), ReadText(kFolder / (name + ".bad")));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedReferenceFile, ::testing::ValuesIn(Names(".bad")),
                         ParamName);

// A new database, with and without password, is written byte for byte as the reference writer
// writes it.
TEST(ReferenceWriter, CreateWritesTheReferenceFiles) {
    struct Case {
        std::string fixture;
        std::vector<std::string> options;
        int passwordLines;
    };
    const Case cases[] = {
        {"empty", {"--no-defaults"}, 0},
        {"built_ins", {}, 0},
        {"built_ins_password", {"--set-password"}, 2},
    };
    for (const Case& c : cases) {
        test::CTempDir dir;
        const fs::path db = dir / "new.tdb";
        std::vector<std::string> args = {"--db", db.string(), "create"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string input;
        for (int i = 0; i < c.passwordLines; ++i)
            input += PasswordInput(c.fixture);
        ASSERT_EQ(RunFresh(args, input), 0) << c.fixture;
        EXPECT_TRUE(ReadText(db) == ReadText(kFolder / (c.fixture + ".tdb"))) << c.fixture;
    }
}

}  // namespace
}  // namespace tessarin::cli
