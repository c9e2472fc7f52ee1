// health: weak, empty and reused passwords by the row numbers "show" takes, and never a value.
#include <gtest/gtest.h>

#include "cli_fixture.h"
#include "support/fixtures.h"

namespace tessarin::cli {
namespace {

using test::AddRecord;
using test::AddType;

// Values that must never reach the output.
const char* const kSecrets[] = {"password", "vX9#qLm2$Tz8!kWp", "4819", "4929718304625517"};

class Health : public Cli {
protected:
    void SetUp() override {
        Make(
            [](CDatabaseObj& d) {
                CTypeItem* login = AddType(d, "Login");
                for (int i = 0; i < 6; ++i)
                    login->SetValue(i, std::string("L") + char('1' + i));
                login->SetValue(2, "Password");
                login->m_maskBits = 0b100;
                CTypeItem* card = AddType(d, "Card");
                card->SetValue(1, "Number");
                card->SetValue(4, "PIN");
                card->m_maskBits = 0b10010;
                // Listed by type, then by field 1: Card visa (1), Login bank (2), mail (3),
                // shop (4), wiki (5).
                AddRecord(d, login, nullptr, {"mail", "ann", "password"});
                AddRecord(d, login, nullptr, {"shop", "ann", "vX9#qLm2$Tz8!kWp"});
                AddRecord(d, card, nullptr, {"visa", "4929718304625517", "", "", "4819"});
                AddRecord(d, login, nullptr, {"bank", "ann", "vX9#qLm2$Tz8!kWp"});
                AddRecord(d, login, nullptr, {"wiki", "ann", ""});
            },
            "db pass");
    }
    void ExpectNoSecret(const CRun& run) {
        for (const char* secret : kSecrets) {
            EXPECT_EQ(run.out.find(secret), std::string::npos) << secret;
            EXPECT_EQ(run.err.find(secret), std::string::npos) << secret;
        }
    }
};

TEST_F(Health, OneLineAFindingByTheRowsShowTakes) {
    const CRun run = Run(With({"health"}), "db pass\n");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "1  Card  visa  PIN: weak\n"
              "2  Login  bank  Password: reused (also in row 4)\n"
              "3  Login  mail  Password: weak\n"
              "4  Login  shop  Password: reused (also in row 2)\n"
              "5  Login  wiki  Password: empty\n");
    ExpectNoSecret(run);
    // The numbers are those of "show".
    const CRun shown = Run(With({"show", "4"}), "db pass\n");
    EXPECT_NE(shown.out.find("shop"), std::string::npos) << shown.out;
}

TEST_F(Health, JsonHasAnObjectAFinding) {
    const CRun run = Run(With({"health", "--json"}), "db pass\n");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "[\n"
              "  {\"row\": 1, \"type\": \"Card\", \"record\": \"visa\", \"field\": 5, \"label\": "
              "\"PIN\", \"reason\": \"weak\"},\n"
              "  {\"row\": 2, \"type\": \"Login\", \"record\": \"bank\", \"field\": 3, \"label\": "
              "\"Password\", \"reason\": \"reused\", \"sameAs\": [4]},\n"
              "  {\"row\": 3, \"type\": \"Login\", \"record\": \"mail\", \"field\": 3, \"label\": "
              "\"Password\", \"reason\": \"weak\"},\n"
              "  {\"row\": 4, \"type\": \"Login\", \"record\": \"shop\", \"field\": 3, \"label\": "
              "\"Password\", \"reason\": \"reused\", \"sameAs\": [2]},\n"
              "  {\"row\": 5, \"type\": \"Login\", \"record\": \"wiki\", \"field\": 3, \"label\": "
              "\"Password\", \"reason\": \"empty\"}\n"
              "]\n");
    ExpectNoSecret(run);
}

TEST_F(Health, NothingToFindSaysSoAndAWrongPasswordFails) {
    Make([](CDatabaseObj& d) {
        CTypeItem* login = AddType(d, "Login");
        login->m_maskBits = 0b100;
        AddRecord(d, login, nullptr, {"mail", "ann", "k3!Vb9#Qz7$Lm2Xw"});
    });
    const CRun run = Run(With({"health"}));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "No weak, empty or reused passwords.\n");
    EXPECT_EQ(Run(With({"health", "--json"})).out, "[]\n");

    Make([](CDatabaseObj&) {}, "right");
    const CRun wrong = Run(With({"health"}), "wrong\n");
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(wrong.out, "");
}

}  // namespace
}  // namespace tessarin::cli
