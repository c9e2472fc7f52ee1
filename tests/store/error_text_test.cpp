// System errors said in words beside their code, and where they are said.
#include "resources/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "store/store_result.h"

namespace tessarin {
namespace {

TEST(ErrorText, CommonCodesHaveWordsOfTheirOwnWithTheirPlace) {
    const CStringTable strings;
    struct Case {
        int code;
        const char* where;
        const char* words;
    };
    const Case cases[] = {
        {ENOSPC, "", "the disk is full"},
        {ENOSPC, "/media/stick", "the disk that holds /media/stick is full"},
        {EDQUOT, "/home/ann", "your disk quota is used up on the disk that holds /home/ann"},
        {EACCES, "/srv/shared", "permission denied on /srv/shared"},
        {EPERM, "", "the operation is not permitted"},
        {EROFS, "/media/cd", "the disk that holds /media/cd is read-only"},
        {ENOENT, "/home/ann/gone", "/home/ann/gone does not exist"},
        {EIO, "", "the disk could not be read or written (an input/output error)"},
        {ENAMETOOLONG, "/x", "the name /x is too long"},
        {EMFILE, "/x", "too many files are open"},  // no place: it is not the file's fault
        {ENFILE, "", "too many files are open"},
        {EFBIG, "/x/a.tdb", "/x/a.tdb would be larger than allowed"},
        {ENOTDIR, "/x/a.tdb/b", "a part of /x/a.tdb/b is not a folder"},
        {EISDIR, "/x/a.tdb", "/x/a.tdb is a folder"},
        {ELOOP, "/x/a.tdb", "/x/a.tdb is a symbolic link, or passes through too many of them"},
        {ENOMEM, "", "there is not enough memory"},
        {ENOMEDIUM, "/media/stick",
         "the disk or network share that holds /media/stick is not available"},
        {ESTALE, "", "the disk or network share is not available"},
        // A path that Windows-1252 cannot hold shows what it can.
        {EACCES, "/home/\xc3\xa9t\xc3\xa9/\xe2\x82\xac\xe2\x9c\x93",
         "permission denied on /home/\xe9t\xe9/\x80?"},
        {0, "/x", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorWords(strings, c.code, c.where), c.words) << c.code << " " << c.where;

    // Any other code: the system's own description, from a lower-case letter.
    const std::string other = ErrorWords(strings, EPROTO);
    ASSERT_FALSE(other.empty());
    EXPECT_TRUE(other[0] < 'A' || other[0] > 'Z') << other;
}

TEST(ErrorText, AFailedWriteNamesTheFolderWhereTheFaultIsTheFolders) {
    const CStringTable strings;
    const std::string file = "/home/ann/Documents/TessarinDatabase.tdb";
    EXPECT_EQ(WriteErrorWords(strings, ENOSPC, file),
              "the disk that holds /home/ann/Documents is full");
    EXPECT_EQ(WriteErrorWords(strings, EACCES, file), "permission denied on /home/ann/Documents");
    EXPECT_EQ(WriteErrorWords(strings, ENOENT, file), "/home/ann/Documents does not exist");
    EXPECT_EQ(WriteErrorWords(strings, EISDIR, file), file + " is a folder");
    EXPECT_EQ(WriteErrorWords(strings, EIO, "a.tdb"),
              "the disk that holds a.tdb could not be read or written (an input/output error)");
    EXPECT_EQ(WriteErrorWords(strings, ENOSPC, "a.tdb"), "the disk that holds a.tdb is full");

    EXPECT_EQ(FileErrorDetail(strings, ENOSPC, file, true),
              "The system reported: the disk that holds /home/ann/Documents is full.");
    EXPECT_EQ(FileErrorDetail(strings, EACCES, file, false),
              "The system reported: permission denied on " + file + ".");
    EXPECT_EQ(FileErrorDetail(strings, 0, file, true), "");
    EXPECT_EQ(WordsWithCode(strings, "the disk is full", ENOSPC), "the disk is full (error 1c)");
    EXPECT_EQ(WordsWithCode(strings, "", 0x1234), "1234");
}

TEST(ErrorText, StoreResultsSayTheSystemsWordsWithTheCode) {
    const CStringTable strings;
    const std::string file = "/data/TessarinDatabase.tdb";
    struct Case {
        CStoreResult result;
        std::string text;
    };
    const Case cases[] = {
        {CStoreResult::Failure(StoreCode::WriteFailed, ENOSPC, file,
                               "the file could not be written"),
         "The database " + file +
             " could not be saved: the file could not be written: the disk that holds /data is "
             "full (error 1c)"},
        {CStoreResult::Failure(StoreCode::OpenFailed, EACCES, file),
         "The database " + file + " could not be read: permission denied (error d)"},
        // Without a system error, what went wrong as the reader said it.
        {CStoreResult::Failure(StoreCode::Malformed, 0, file, "the archive ends early"),
         "The database " + file + " could not be read: the archive ends early"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResultText(c.result, strings), c.text);
}

}  // namespace
}  // namespace tessarin
