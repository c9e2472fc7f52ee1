// The exports of other password keepers: Cryptinfo, MobileSafe, eWallet, TopSecret and Yaps.
#include <gtest/gtest.h>

#include "exchange/import_support.h"

namespace tessarin {
namespace {

using test::CFlatRecord;

class Foreign : public ::testing::Test, public test::CImportFixture {
protected:
    // A record of the type without a name, as the formats without types give.
    static CFlatRecord Nameless(std::vector<std::string> values, std::string note = "") {
        values.resize(kFieldCount);
        return {"", values, note, "Unfiled"};
    }
    static CFlatRecord Typed(std::string type, std::vector<std::string> values,
                             std::string note = "") {
        values.resize(kFieldCount);
        return {type, values, note, "Unfiled"};
    }
};

TEST_F(Foreign, CryptinfoRecordsAreLabelledLinesUpToABlankLine) {
    const auto records =
        Import(ExchangeFormat::Cryptinfo,
               "CryptInfo Export\r\n"
               "Bank\r\n"  // no colon: passed over
               "Account: 123 \t\r\n"
               "PIN:\t9999\r\n"
               "\r\n"
               "Mail\r\n"
               "Login: first\r\n"
               "second\r\n"  // continuation lines: no line break after the first
               "third\r\n"
               "Note: remember\r\n"
               "\r\n"
               "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nE: 5\r\nF: 6\r\nG: 7\r\nNote: n\r\n");
    EXPECT_EQ(records, (std::vector<CFlatRecord>{
                           Nameless({"123", "9999"}),
                           Nameless({"firstsecond\r\nthird"}, "remember"),
                           Nameless({"1", "2", "3", "4", "5", "6"}, "7\r\nn"),
                       }));
    // All of them share one type without a name.
    EXPECT_EQ(db.m_types.Size(), 1u);
    EXPECT_TRUE(outcome.Complete());
}

TEST_F(Foreign, LineEndsDecideWhereCryptinfoAndMobileSafeRecordsEnd) {
    // With LF only, LF LF is one line end: the blank line does not end the record.
    EXPECT_EQ(Import(ExchangeFormat::Cryptinfo, "A: 1\n\nB: 2\n"),
              (std::vector<CFlatRecord>{Nameless({"1", "2"})}));
    db.Empty();
    // LF CR LF and CR CR LF are single line ends too; CR LF CR LF leaves a blank line.
    EXPECT_EQ(Import(ExchangeFormat::Cryptinfo, "A: 1\n\r\nB: 2\r\r\nC: 3\r\n\r\nD: 4"),
              (std::vector<CFlatRecord>{Nameless({"1", "2", "3"}), Nameless({"4"})}));
    db.Empty();
    EXPECT_EQ(Import(ExchangeFormat::MobileSafe, "Title\nA: 1\n\nB: 2\n"),
              (std::vector<CFlatRecord>{Nameless({"1", "2"})}));
}

TEST_F(Foreign, MobileSafeKeepsEveryLineOfAValueAndSkipsEachTitle) {
    const auto records = Import(ExchangeFormat::MobileSafe,
                                "Mobile AM Export: 2.1\r\n"
                                "Bank\r\n"
                                "Account: first\r\n"
                                "second\r\n"
                                "third\r\n"
                                "PIN: 1\r\n"
                                "\r\n"
                                "Mail: the title holds a colon\r\n"
                                "User: me\r\n");
    EXPECT_EQ(records, (std::vector<CFlatRecord>{Nameless({"first\r\nsecond\r\nthird", "1"}),
                                                 Nameless({"me"})}));
}

TEST_F(Foreign, EWalletCardsRunFromCardNameToTheNextCardOrHeading) {
    const std::string longType(40, 'T');
    const auto records = Import(ExchangeFormat::EWallet,
                                "Category: Banking\r\n"
                                "\r\n"
                                "Card Name: My Bank\r\n"
                                "Card Type: Bank Account \r\n"
                                "Label: passed over\r\n"
                                "Account: 12345\r\n"
                                "PIN: 4321\r\n"
                                "Note: call\r\n"
                                "them: soon\r\n"
                                "\r\n"
                                "Card Name: Second\r\n"
                                "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nE: 5\r\nF: 6\r\nG: 7\r\n"
                                "Category: Other\r\n"
                                "Card Name: Third\r\n"
                                "Card Type:" +
                                    longType +
                                    "\r\n"
                                    "Card Notes: short\r\n");
    EXPECT_EQ(records,
              (std::vector<CFlatRecord>{
                  Typed("Bank Account", {"My Bank", "12345", "4321"}, "call\r\nthem: soon"),
                  Nameless({"Second", "1", "2", "3", "4", "5"}, "F: 6\r\nG: 7"),
                  Typed(longType.substr(0, 31), {"Third"}, "short"),
              }));
}

TEST_F(Foreign, TopSecretLinesAreSiteRemarkAndKind) {
    EXPECT_EQ(Import(ExchangeFormat::TopSecret,
                     "Site,Remark,Logins\r\n"
                     "\"Quoted, site\",\"two\vlines\",Logins,ignored\r\n"
                     "\r\n"
                     "Alone\n"),
              (std::vector<CFlatRecord>{Typed("Logins", {"Site"}, "Remark"),
                                        Typed("Logins", {"Quoted, site"}, "two\r\nlines"),
                                        Nameless({"Alone"})}));
    EXPECT_EQ(db.m_types.Size(), 2u);
}

TEST_F(Foreign, YapsRecordsAreTokensBetweenHashes) {
    EXPECT_EQ(Import(ExchangeFormat::Yaps,
                     "#Yaps Data\r\n"
                     "#Bank,Acct,123,,,,x,y#"
                     "Mail, me,multi\r\nline#"
                     "Short#"),
              (std::vector<CFlatRecord>{
                  Typed("Bank", {"Acct", "123", "", "", "", ""}, "x\r\ny"),
                  Typed("Mail", {"me", "multi\r\nline"}),
                  // A record of one token is skipped.
              }));
}

}  // namespace
}  // namespace tessarin
