// The exports of other password managers: each format's fixture file (tests/data/managers) with
// the records it must give, recognition by the first line, text Windows-1252 cannot hold, a second
// import that adds nothing, and files that cannot be read.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "exchange/format_detection.h"
#include "exchange/import_file.h"
#include "exchange/import_support.h"
#include "exchange/manager_formats.h"
#include "exchange/manager_import.h"
#include "exchange/manager_text.h"
#include "resources/string_ids.h"
#include "store/builtins.h"
#include "support/scripted_file_password.h"

namespace tessarin {
namespace {

using test::CFlatRecord;
using Records = std::vector<CFlatRecord>;

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(TESSARIN_TEST_DATA) + "/managers/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

CFlatRecord Login(std::vector<std::string> fields, std::string note = "",
                  std::string category = "Unfiled") {
    fields.resize(kFieldCount);
    return {"Web Logins", fields, note, category};
}
CFlatRecord Of(std::string type, std::vector<std::string> fields, std::string note = "",
               std::string category = "Unfiled") {
    fields.resize(kFieldCount);
    return {type, fields, note, category};
}

class ManagerImport : public ::testing::Test, public test::CImportFixture {
protected:
    ManagerImport() { context.SetMessages(&messages); }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
};

TEST_F(ManagerImport, EachFormatsExportGivesItsRecords) {
    struct CCase {
        const char* file;
        ExchangeFormat format;
        Records records;
    } cases[] = {
        {"keepassxc.csv",
         ExchangeFormat::KeePassXc,
         {Login({"Mail", "alice@example.com", "p,w \"q\"", "https://mail.example.com",
                 "otpauth://totp/Mail:alice?secret=JBSWY3DPEHPK3PXP&issuer=Mail"},
                "line one\r\nline two"),
          // No title: the URL's host name.
          Login({"shop.example.org", "bob",
                 "Gr\xFC\xDF"
                 "e\x80"
                 "1",
                 "https://shop.example.org/login?x=1"},
                "", "Shops"),
          Login({"???? Online", "????", "??????"}, "???????", "????"),
          // Neither title, URL nor username: an empty name.
          Login({}, "only a note", "Internet")}},
        {"keepassxc_old.csv",
         ExchangeFormat::KeePassXc,
         {Login({"Old", "u", "p", "http://old.example"}, "n")}},
        {"bitwarden.csv",
         ExchangeFormat::Bitwarden,
         {Login({"Twitter", "tw_user", "tw,pass", "https://twitter.com/login", "JBSWY3DPEHPK3PXP"},
                "Say \"hi\", then leave\r\nOther URL: https://x.com/i/flow\r\n"
                "Recovery code: 1234\r\nPIN: 42",
                "Social"),
          Of("Unfiled", {"Wi-Fi"}, "SSID: home\r\nKey: abc"),
          Login({"portal.client.example", "carol", "pw3", "https://portal.client.example:8443/app"},
                "", "Clients")}},
        {"bitwarden.json",
         ExchangeFormat::Bitwarden,
         {Login({"Bank \"Online\"", "jdoe", "p\xE4ss\x80", "https://bank.example"},
                "Branch: Main St\r\nOpen 9-5\r\nOther URL: https://m.bank.example\r\n"
                "Customer no: 778899\r\nRemember me: true",
                "Finance"),
          Of("Unfiled", {"Recovery codes"}, "1111 2222\r\n3333"),
          Of("Credit Cards", {"Visa", "4111111111111111", "03/27", "Jane Doe", "", "Visa"},
             "Security code: 123", "Finance"),
          Of("Identification", {"Passport", "X1234567", "Ms Jane Doe"},
             "License number: D-99\r\nEmail: jane@example.com\r\n"
             "Address: 1 Main St, Springfield, 12345, US",
             "??????"),
          Login({"?? ?", "user", "pw", "", "otpauth://totp/x?secret=ABC"})}},
        {"chrome.csv",
         ExchangeFormat::Chrome,
         {Login({"accounts.example.com", "me@example.com", "a\"b,c",
                 "https://accounts.example.com/signin"}),
          Login({"nameless.example.net", "", "pw2", "https://nameless.example.net/"},
                "multi\r\nline"),
          Login({"", "", "pw3"})}},
        {"firefox.csv",
         ExchangeFormat::Firefox,
         {Login({"www.mozilla.org", "moz", "fox,pw", "https://www.mozilla.org"}),
          Login({"intranet.example", "admin", "x", "https://intranet.example:8080"},
                "httpRealm: Intranet Realm"),
          Login({"site.example", "", "only-pass", "https://user@site.example/path"})}},
        {"1password.csv",
         ExchangeFormat::OnePassword,
         {Login({"GitHub", "octo", "gh-pw", "https://github.com",
                 "otpauth://totp/GitHub:octo?secret=GEZDGNBV"},
                "2FA on\r\nTags: dev,work"),
          Login({"Caf\xE9 Wi-Fi", "", "wifi pass"})}},
        {"lastpass.csv",
         ExchangeFormat::LastPass,
         {Login({"Amazon", "shopper", "amz", "https://www.amazon.com/ap/signin"}, "Prime member",
                "Online"),
          Of("Unfiled", {"DB server"}, "NoteType:Server\r\nHostname:db1", "Work"),
          Login({"x.example", "u", "p", "https://x.example", "SECRET"})}},
        {"protonpass.csv",
         ExchangeFormat::ProtonPass,
         {Login({"Proton", "me@proton.me", "pp1", "https://account.proton.me"},
                "Other URL: https://mail.proton.me", "Personal"),
          Login({"Forum", "forumuser", "pp2", "https://forum.example"},
                "Mods: \"nice\"\r\nEmail: me@proton.me", "Hobbies"),
          Of("Unfiled", {"Shopping list"}, "eggs\r\nmilk", "Personal"),
          Login({"alias@passmail.net", "alias@passmail.net"}, "", "Personal")}},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string text = Fixture(c.file);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(DetectFormat(text), c.format);
        // Recognised, and named: the same records either way.
        for (const ExchangeFormat format : {DetectFormat(text), c.format}) {
            db.Empty();
            EXPECT_EQ(Import(format, text), c.records);
            EXPECT_EQ(outcome.records, c.records.size());
            EXPECT_EQ(outcome.skipped, 0u);
            EXPECT_TRUE(outcome.Complete());
        }
    }
}

TEST_F(ManagerImport, MissingBuiltInTypesAreMadeAsTheBuiltInOnes) {
    // The database has none of the built-in types; the logins' type gets their labels, icon and
    // masked password, and the records the type's icon and mask.
    Import(ExchangeFormat::Bitwarden, Fixture("bitwarden.json"));
    test::CTestContext other;
    CDatabaseObj builtIns(other);
    CreateBuiltInTypes(builtIns.m_types);
    for (const char* name : {"Web Logins", "Credit Cards", "Identification"}) {
        SCOPED_TRACE(name);
        const auto* made = static_cast<const CTypeItem*>(db.m_types.FindByName(name));
        const auto* model = static_cast<const CTypeItem*>(builtIns.m_types.FindByName(name));
        ASSERT_TRUE(made && model);
        EXPECT_FALSE(made->m_key.IsBuiltIn());
        EXPECT_EQ(made->m_icon, model->m_icon);
        EXPECT_EQ(made->m_maskBits, model->m_maskBits);
        for (int i = 0; i < kFieldCount; ++i)
            EXPECT_EQ(made->GetLabel(i), model->GetLabel(i));
        for (const auto& item : db.m_records.Items()) {
            if (static_cast<const CRecord&>(*item).m_key == made->m_key) {
                EXPECT_EQ(item->m_maskBits, model->m_maskBits);
            }
        }
    }
    // An existing type of that name is used as it is.
    db.Empty();
    CTypeItem* own = test::AddType(db, "web logins");
    Import(ExchangeFormat::Chrome, Fixture("chrome.csv"));
    EXPECT_EQ(db.CountLive(kKindType), 1u);
    EXPECT_EQ(static_cast<const CRecord&>(*db.m_records.Items()[0]).m_key, own->m_key);
}

TEST_F(ManagerImport, CharactersWindows1252CannotHoldAreNamedRecordByRecord) {
    Import(ExchangeFormat::KeePassXc, Fixture("keepassxc.csv"));
    EXPECT_EQ(outcome.replaced,
              std::vector<std::string>{
                  "line 5, \"???? Online\": Group, Title, Username, Password, Notes"});
    Import(ExchangeFormat::Bitwarden, Fixture("bitwarden.json"));
    EXPECT_EQ(outcome.replaced, (std::vector<std::string>{"line 30, \"Passport\": folder",
                                                          "line 38, \"?? ?\": name"}));
    // Text that is not UTF-8 at all is taken as Windows-1252, unchanged.
    db.Empty();
    EXPECT_EQ(Import(ExchangeFormat::Chrome, "name,url,username,password\nCaf\xE9,,\x80,p\n"),
              Records{Login({"Caf\xE9", "\x80", "p"})});
    EXPECT_TRUE(outcome.replaced.empty());

    // The closing messages: the counts, then the list.
    messages.shown.clear();
    ReportManagerImport(context, ExchangeFormat::KeePassXc, outcome);
    ASSERT_EQ(messages.Ids(), std::vector<int>{str::kManagerImportDone});
    EXPECT_EQ(messages.shown[0].args, (std::vector<std::string>{"KeePassXC", "1", "0"}));
    outcome.replaced = {"a", "b"};
    messages.shown.clear();
    ReportManagerImport(context, ExchangeFormat::KeePassXc, outcome);
    ASSERT_EQ(messages.Ids(),
              (std::vector<int>{str::kManagerImportDone, str::kManagerCharactersReplaced}));
    EXPECT_EQ(messages.shown[1].args, (std::vector<std::string>{"2", "a\nb"}));
}

TEST_F(ManagerImport, ASecondImportOfTheSameFileAddsNothing) {
    for (const char* file :
         {"keepassxc.csv", "bitwarden.csv", "bitwarden.json", "protonpass.csv", "lastpass.csv"}) {
        SCOPED_TRACE(file);
        db.Empty();
        const std::string text = Fixture(file);
        const Records first = Import(DetectFormat(text), text);
        EXPECT_EQ(Import(DetectFormat(text), text), first);
        EXPECT_EQ(outcome.records, 0u);
        EXPECT_EQ(outcome.skipped, first.size());
        EXPECT_TRUE(outcome.replaced.empty());
    }
    // A record that differs in one value, note or category is added; one deleted is added again;
    // two equal entries in one file are one record.
    db.Empty();
    const std::string header = "name,url,username,password,note\n";
    Import(ExchangeFormat::Chrome, header + "a,,u,p,n\nb,,u,p,n\n");
    db.m_records.Items()[1]->m_deleted = true;
    Import(ExchangeFormat::Chrome, header + "a,,u,p,n\na,,u,P,n\na,,u,p,N\nb,,u,p,n\nb,,u,p,n\n");
    EXPECT_EQ(outcome.records, 3u);
    EXPECT_EQ(outcome.skipped, 2u);
    // The plain CSV import keeps adding every row.
    db.Empty();
    Import(ExchangeFormat::Csv, "Web,a,b\n");
    Import(ExchangeFormat::Csv, "Web,a,b\n");
    EXPECT_EQ(outcome.records, 1u);
    EXPECT_EQ(db.CountLive(kKindRecord), 2u);
}

TEST_F(ManagerImport, ColumnsAreFoundByNameInAnyOrder) {
    // Another order, other case, a column nobody knows, a value beyond the named columns, blank
    // lines, a record that ends without a line end, and CR alone as a line end.
    const Records records = Import(ExchangeFormat::Chrome,
                                   "PASSWORD,Note,Colour,URL,Name,username\r\n"
                                   "pw,n,blue,https://a.example,A,ua,extra\r"
                                   "\r\n\r\n"
                                   "pw2,,,https://b.example,,ub");
    EXPECT_EQ(records,
              (Records{Login({"A", "ua", "pw", "https://a.example"}, "n\r\nColour: blue\r\nextra"),
                       Login({"b.example", "ub", "pw2", "https://b.example"})}));
    // A header that names none of the format's columns is refused before anything is read.
    CImportSource source =
        ReadImportSource(WriteFile("other.csv", "a,b,c\n1,2,3\n"), ExchangeFormat::Firefox, false);
    EXPECT_EQ(source.problem, CImportSource::NotThatExport);
    EXPECT_TRUE(ReportSourceProblem(context, source));
    EXPECT_EQ(messages.shown.back().args, std::vector<std::string>{"Firefox"});
}

TEST_F(ManagerImport, FirstLinesRecogniseTheirExport) {
    struct CCase {
        std::string text;
        ExchangeFormat format;
    } cases[] = {
        {"name,url,username,password\r\nx,y,z,w\r\n", ExchangeFormat::Chrome},
        {"\xEF\xBB\xBFname,url,username,password,note\n", ExchangeFormat::Chrome},
        {"\"name\",\"url\",\"username\",\"password\"\n", ExchangeFormat::Chrome},
        {"Group,Title,Username,Password,URL,Notes", ExchangeFormat::KeePassXc},
        {"url,username,password,totp,extra,name,grouping,fav\n", ExchangeFormat::LastPass},
        {"type,name,url,email,username,password,note,totp,createTime,modifyTime,vault\n",
         ExchangeFormat::ProtonPass},
        {" \n{\n  \"encrypted\" :false, \"items\": []}", ExchangeFormat::Bitwarden},
        {"\xEF\xBB\xBF{\"encrypted\":true,\"data\":\"x\"}", ExchangeFormat::Bitwarden},
        // Near misses are what they were before: plain CSV and this program's own files.
        {"name,url,username,password,note,extra\n", ExchangeFormat::Csv},
        {"Name,URL,Username,Password\n", ExchangeFormat::Csv},
        {"url,username,password\n", ExchangeFormat::Csv},
        {"{\"items\": [], \"encrypted\": false}", ExchangeFormat::Csv},
        {"Tessarin Export File\r\nWeb,a\r\n", ExchangeFormat::CsvExport},
        {"CryptInfo Export\r\n", ExchangeFormat::Cryptinfo},
        {std::string("\0name", 5), ExchangeFormat::NotText},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DetectFormat(c.text), c.format);
    }
}

TEST_F(ManagerImport, FilesThatCannotBeReadSaySoAndKeepWhatCameBefore) {
    // A quote that never closes would swallow the rest of the file.
    Import(ExchangeFormat::Chrome, "name,url,username,password\na,,u,p\nb,,\"u,p\nc,,u,p\n");
    EXPECT_EQ(outcome.records, 1u);
    EXPECT_TRUE(outcome.stoppedEarly);
    ASSERT_EQ(messages.Ids(), std::vector<int>{str::kImportUnreadableFrom});
    EXPECT_EQ(messages.shown[0].args, std::vector<std::string>{"3"});

    struct CCase {
        const char* json;
        size_t records;
        const char* line;  // where the reading stopped; none when it did not
    } cases[] = {
        {"{\"encrypted\": false, \"items\": [{\"type\": 2, \"name\": \"a\"},\n{\"type\": 2, \"na",
         1, "2"},
        {"{\"encrypted\": false, \"items\": [{\"type\": 2, \"name\": \"a\"},", 1, "1"},
        {"{\"encrypted\": false, \"items\": [{\"type\": 2, \"name\": \"a\"} {}]}", 1, "1"},
        {"{\"encrypted\": false,\n\"items\" [", 0, "2"},
        {"{\"encrypted\": false, \"items\": [], \"folders\": [}", 0, "1"},
        // Items of no known kind are secure notes; elements that are no objects are passed over.
        {"{\"encrypted\": false, \"items\": [7, {\"type\": 9, \"name\": \"k\", \"sshKey\": "
         "{\"publicKey\": \"ssh-ed25519 AAA\"}}]}",
         1, nullptr},
        {"{\"encrypted\": true, \"items\": [{\"type\": 2, \"name\": \"a\"}]}", 0, nullptr},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.json);
        db.Empty();
        messages.shown.clear();
        Import(ExchangeFormat::Bitwarden, c.json);
        EXPECT_EQ(outcome.records, c.records);
        if (c.line) {
            ASSERT_EQ(messages.Ids(), std::vector<int>{str::kImportUnreadableFrom});
            EXPECT_EQ(messages.shown[0].args, std::vector<std::string>{c.line});
        } else {
            EXPECT_TRUE(messages.shown.empty());
        }
    }
    EXPECT_EQ(Import(ExchangeFormat::Bitwarden,
                     "{\"encrypted\": false, \"items\": [{\"type\": 9, \"name\": \"k\", "
                     "\"sshKey\": {\"publicKey\": \"ssh-ed25519 AAA\"}}]}"),
              Records{Of("Unfiled", {"k"}, "publicKey: ssh-ed25519 AAA")});

    // An encrypted export is refused before anything is read.
    CImportSource source =
        ReadImportSource(WriteFile("vault.json", "{\"encrypted\": true, \"data\": \"2.AAAA\"}"),
                         ExchangeFormat::Detect, false);
    EXPECT_EQ(source.format, ExchangeFormat::Bitwarden);
    EXPECT_EQ(source.problem, CImportSource::EncryptedExport);
}

TEST_F(ManagerImport, TheHeadOfThisProgramsOwnExportsGivesTypeAndFields) {
    const std::string header =
        "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
        "login_totp\n";
    const Records records = Import(
        ExchangeFormat::Bitwarden,
        header +
            // Another type: fields 2 on from the head, the rest of the note after the empty line.
            ",,note,Checking,\"Type: Bank Accts\nAccount #: 12: 34\nPIN: \n\nthe note\nline 2\",,,"
            ",,,\n"
            // A login's head holds field 6.
            ",,login,Site,\"Type: Web Logins\nField 6: six\",,,https://s.example,u,p,\n"
            // Not this program's head: a line without a label, or a login with its own values.
            ",,note,Plain,\"Type: X\nno label here\",,,,,,\n"
            ",,login,Site2,\"Type: Bank Accts\nPIN: 1\",,,,u,p,\n");
    EXPECT_EQ(records, (Records{Of("Bank Accts", {"Checking", "12: 34", ""}, "the note\r\nline 2"),
                                Login({"Site", "u", "p", "https://s.example", "", "six"}),
                                Of("Unfiled", {"Plain"}, "Type: X\r\nno label here"),
                                Login({"Site2", "u", "p"}, "Type: Bank Accts\r\nPIN: 1")}));
    // Other formats take such a note as it is.
    db.Empty();
    EXPECT_EQ(Import(ExchangeFormat::Chrome, "name,note\nA,\"Type: Bank Accts\nPIN: 1\"\n"),
              Records{Login({"A"}, "Type: Bank Accts\r\nPIN: 1")});
}

TEST(ManagerText, UrlsPathsAndCsvRecords) {
    const std::pair<std::string_view, std::string_view> hosts[] = {
        {"https://www.example.com", "www.example.com"},
        {"https://user:pw@host.example:8443/a?b#c", "host.example"},
        {"example.org/login", "example.org"},
        {"androidapp://com.example.app", "com.example.app"},
        {"http://[::1]:8080/", "[::1]"},
        {"  https://spaced.example ", "spaced.example"},
        {"", ""},
    };
    for (const auto& [url, host] : hosts)
        EXPECT_EQ(HostOf(url), host) << url;
    EXPECT_EQ(LastPathComponent("Root/Internet/Shops", "/"), "Shops");
    EXPECT_EQ(LastPathComponent("Shopping\\Online", "/\\"), "Online");
    EXPECT_EQ(LastPathComponent("Trailing/", "/"), "Trailing");
    EXPECT_EQ(LastPathComponent("", "/"), "");

    CCsvRecordReader reader("a,\"b\"\"c\",\"d\ne\"x,\r\"\"\n");
    std::vector<std::string> fields;
    ASSERT_EQ(reader.Next(fields), CCsvRecordReader::Result::Record);
    EXPECT_EQ(fields, (std::vector<std::string>{"a", "b\"c", "d\nex", ""}));
    ASSERT_EQ(reader.Next(fields), CCsvRecordReader::Result::Record);
    EXPECT_EQ(fields, std::vector<std::string>{""});
    EXPECT_EQ(reader.Next(fields), CCsvRecordReader::Result::End);

    CImportText text;
    EXPECT_EQ(text.Convert("a\nb\rc\r\nd", "x"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(text.Convert("\xC3\xA9\xE2\x82\xAC\xE2\x80\x94", "x"), "\xE9\x80\x97");
    EXPECT_EQ(text.TakeReplaced(), "");
    EXPECT_EQ(text.Convert("\xD0\xAF", "a"), "?");
    EXPECT_EQ(text.Convert("\xD0\xAF", "b"), "?");
    EXPECT_EQ(text.Convert("\xD0\xAF", "a"), "?");
    EXPECT_EQ(text.TakeReplaced(), "a, b");
    // Malformed UTF-8 (a lone continuation byte, an overlong form): the bytes as they are.
    EXPECT_EQ(text.Convert("\x80"
                           "abc",
                           "x"),
              "\x80"
              "abc");
    EXPECT_EQ(text.Convert("\xC0\xAF", "x"), "\xC0\xAF");
}

}  // namespace
}  // namespace tessarin
