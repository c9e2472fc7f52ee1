// Password health over a list's rows: empty, weak and reused masked fields, and nothing else.
#include "listing/password_health.h"

#include <gtest/gtest.h>

#include "resources/string_table.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using Reason = HealthReason;

class PasswordHealth : public ::testing::Test {
protected:
    PasswordHealth() {
        login = test::AddType(db, "Logins");
        login->m_maskBits = 0b000100;  // field 3: the password
        card = test::AddType(db, "Cards");
        card->m_maskBits = 0b010010;  // fields 2 and 5: number and PIN
    }
    CRecord* Add(CTypeItem* type, std::vector<std::string> values) {
        CRecord* record = test::AddRecord(db, type, nullptr, std::move(values));
        rows.push_back(record);
        return record;
    }

    test::CTestContext context;
    CDatabaseObj db{context};
    CTypeItem* login;
    CTypeItem* card;
    std::vector<CRecord*> rows;
};

TEST_F(PasswordHealth, FindsEmptyWeakAndReusedMaskedFieldsInRowOrder) {
    const std::string strong = "vX9#qLm2$Tz8!kWp";
    Add(login, {"mail", "ann", "password"});              // 0: weak (a common password)
    Add(login, {"forum", "ann", ""});                     // 1: empty
    Add(login, {"bank", "ann", strong});                  // 2: reused with 4 and 5
    Add(login, {"harborbank", "ann", "Harborbank2024"});  // 3: weak, from its own site's name
    Add(card, {"visa", strong, "", "", "4819"});          // 4: reused (field 2); weak PIN
    Add(login, {"shop", "ann", strong});                  // 5: reused with 2 and 4
    Add(login, {"admin", "password", "q7$Lw!2zXv#9Rt"});  // 6: a weak value in a field shown
                                                          //    in clear is none of ours
    const std::vector<CHealthFinding> expected = {
        {0, 2, Reason::Weak, {}},       {1, 2, Reason::Empty, {}},
        {2, 2, Reason::Reused, {4, 5}}, {3, 2, Reason::Weak, {}},
        {4, 1, Reason::Reused, {2, 5}}, {4, 4, Reason::Weak, {}},
        {5, 2, Reason::Reused, {2, 4}},
    };
    EXPECT_EQ(CheckPasswordHealth(rows), expected);
}

TEST_F(PasswordHealth, ReuseCountsOtherRecordsOnlyAndBothReasonsCanHold) {
    // The same value twice in one record is not reuse; a weak value in two records is both.
    card->m_maskBits = 0b000110;
    Add(card, {"safe", "k3!Vb9#Qz7$Lm2Xw", "k3!Vb9#Qz7$Lm2Xw"});
    Add(login, {"a", "ann", "letmein"});
    Add(login, {"b", "bob", "letmein"});
    const std::vector<CHealthFinding> expected = {
        {1, 2, Reason::Weak, {}},
        {1, 2, Reason::Reused, {2}},
        {2, 2, Reason::Weak, {}},
        {2, 2, Reason::Reused, {1}},
    };
    EXPECT_EQ(CheckPasswordHealth(rows), expected);
    EXPECT_TRUE(CheckPasswordHealth({}).empty());
}

TEST_F(PasswordHealth, ReasonsAreSaidWithRowsFromOne) {
    const CStringTable strings;
    EXPECT_EQ(HealthReasonText(strings, {0, 2, Reason::Weak, {}}), "weak");
    EXPECT_EQ(HealthReasonText(strings, {0, 2, Reason::Empty, {}}), "empty");
    EXPECT_EQ(HealthReasonText(strings, {0, 2, Reason::Reused, {3}}), "reused (also in row 4)");
    EXPECT_EQ(HealthReasonText(strings, {0, 2, Reason::Reused, {1, 8}}),
              "reused (also in rows 2, 9)");
}

}  // namespace
}  // namespace tessarin
