#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <sstream>

#include "cli/cli_session.h"
#include "store/database_lifecycle.h"
#include "support/file_modes.h"
#include "support/palm_files.h"
#include "support/temp_dir.h"

namespace tessarin::cli {
namespace {

using Bytes = std::vector<uint8_t>;

// A resource database "Icons" with two bitmap resources: id 300, a family of a 1x1 one-bit bitmap
// and a 2x2 8-bit bitmap whose transparent index is 0 (white); id 7, a bitmap of version 4, which
// cannot be decoded.
const Bytes kIconFile = test::Concat({
    test::IconFileHeader(2),
    {'T', 'b', 'm', 'p', 0x01, 0x2C, 0, 0, 0, 100},
    {'T', 'b', 'm', 'p', 0x00, 0x07, 0, 0, 0, 140},
    {0, 0},  // padding
    // 100: 1x1, one bit, the next bitmap 20 bytes on
    {0, 1, 0, 1, 0, 2, 0, 0, 1, 1, 0, 5, 0, 0, 0, 0, 0x80, 0, 0, 0},
    // 120: 2x2, 8 bits, version 2, transparent index 0
    {0, 2, 0, 2, 0, 2, 0x20, 0, 8, 2, 0, 0, 0, 0, 0, 0, 0, 230, 225, 230},
    // 140: version 4
    {0, 1, 0, 1, 0, 2, 0, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0},
});

struct CRun {
    int code;
    std::string out;
    std::string err;
};

class CliIcons : public ::testing::Test {
protected:
    void SetUp() override {
        CCoreContext context;
        CDatabaseObj database(context);
        database.m_path = db;
        database.m_handheldName = "Ic\xF4nes";  // Windows-1252
        ASSERT_TRUE(Save(database).Ok());
    }
    CRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", db, "icons"});
        std::istringstream in;
        std::ostringstream out, err;
        CCliIo io{in, out, err, false};
        const int code = RunCli(args, io);
        return {code, out.str(), err.str()};
    }

    test::CTempDir dir;
    std::string db = (dir / "TessarinDatabase.tdb").string();
    std::filesystem::path iconFile = dir / "Ic\xC3\xB4nes.pdb";
};

TEST_F(CliIcons, ListsEachIconWithItsFamily) {
    test::WriteFileBytes(iconFile, kIconFile);
    CRun json = Run({"--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out,
              "[\n"
              "  {\n"
              "    \"resource_id\": 300,\n"
              "    \"family\": [\n"
              "      {\"width\": 1, \"height\": 1, \"pixel_size\": 1, \"version\": 1},\n"
              "      {\"width\": 2, \"height\": 2, \"pixel_size\": 8, \"version\": 2}\n"
              "    ]\n"
              "  },\n"
              "  {\n"
              "    \"resource_id\": 7,\n"
              "    \"family\": [\n"
              "      {\"width\": 1, \"height\": 1, \"pixel_size\": 1, \"version\": 4}\n"
              "    ]\n"
              "  }\n"
              "]\n");

    CRun text = Run({});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(
        text.out,
        "Icon 300:\n  1x1 pixels, pixel size 1, version 1\n  2x2 pixels, pixel size 8, version 2\n"
        "Icon 7:\n  1x1 pixels, pixel size 1, version 4\n");
}

TEST_F(CliIcons, ExportsTheBitmapChosenForTheSize) {
    test::WriteFileBytes(iconFile, kIconFile);
    const std::filesystem::path out = dir / "out";
    CRun run = Run({"--export", out.string(), "--json"});
    // The undecodable icon gets no picture and a line on standard error.
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "Icon 7 could not be decoded; no picture is written for it.\n");
    EXPECT_FALSE(std::filesystem::exists(out / "7.png"));

    // At the default 32x32 the 2x2 bitmap is chosen; its white pixel is transparent.
    QImage big(QString::fromStdString((out / "300.png").string()));
    ASSERT_FALSE(big.isNull());
    ASSERT_EQ(big.size(), QSize(2, 2));
    EXPECT_EQ(big.pixel(0, 0), 0x00000000u);
    EXPECT_EQ(big.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(big.pixel(0, 1), 0xFFC0C0C0u);
    EXPECT_EQ(big.pixel(1, 1), 0xFF000000u);

    // At 1x1 the first bitmap, which has no transparent colour.
    ASSERT_EQ(Run({"--size", "1x1", "--export", out.string()}).code, 1);
    QImage small(QString::fromStdString((out / "300.png").string()));
    ASSERT_EQ(small.size(), QSize(1, 1));
    EXPECT_EQ(small.pixel(0, 0), 0xFF000000u);
}

TEST_F(CliIcons, PicturesArePrivateAndNeverWrittenThroughALinkAtTheirName) {
    test::WriteFileBytes(iconFile, kIconFile);
    const std::filesystem::path out = dir / "new/out";
    test::CTempDir elsewhere;
    const test::CUmask open(0);
    std::filesystem::create_directories(out);
    const test::CPlantedLink planted(out / "300.png", elsewhere);
    std::filesystem::remove_all(dir / "new");
    // Once with the folders made by the command, once into them with a link at the name.
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(Run({"--export", out.string()}).code, 1);  // icon 7 cannot be decoded
        EXPECT_EQ(test::ModeAt(dir / "new"), 0700);
        EXPECT_EQ(test::ModeAt(out), 0700);
        EXPECT_EQ(test::ModeAt(out / "300.png"), 0600);
        std::filesystem::remove(out / "300.png");
        std::filesystem::create_symlink(planted.Victim(), out / "300.png");
    }
    ASSERT_EQ(Run({"--export", out.string()}).code, 1);
    planted.ExpectReplacedByPrivateFile();
}

TEST_F(CliIcons, MissingDamagedFilesAndBadSizes) {
    CRun missing = Run({});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(
        missing.err,
        "The database has no custom icon file: Ic\xC3\xB4nes.pdb does not exist beside it.\n");

    Bytes damaged = kIconFile;
    damaged[60] = damaged[61] = damaged[62] = damaged[63] = 0;  // type zero
    test::WriteFileBytes(iconFile, damaged);
    CRun invalid = Run({"--json"});
    EXPECT_EQ(invalid.code, 1);
    EXPECT_EQ(invalid.err,
              "The custom icon file Ic\xC3\xB4nes.pdb is damaged: it is not a handheld resource "
              "database.\n");
    EXPECT_EQ(invalid.out, "");
    EXPECT_EQ(test::ReadFileBytes(iconFile), damaged);

    for (const char* size : {"32", "x32", "32x", "0x32", "32x65536", "32x32x", "-1x4", "3 x4"}) {
        CRun bad = Run({"--size", size});
        EXPECT_EQ(bad.code, 2) << size;
        EXPECT_EQ(bad.err, std::string("The size ") + size +
                               " is not of the form WIDTHxHEIGHT (each 1 to 65535).\n")
            << size;
    }
}

}  // namespace
}  // namespace tessarin::cli
