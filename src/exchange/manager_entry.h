#pragma once

// One entry of another password manager's export, its texts already in Windows-1252, and how it
// becomes a row of the row import: a login a "Web Logins" record, a secure note an unfiled one,
// cards and identities records of "Credit Cards" and "Identification".
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/import_row.h"

namespace tessarin {

// Labels of the note lines for values without a field of their own. They are part of the record's
// text and of the files written for other managers, the same in every language.
namespace note_label {
inline constexpr std::string_view kType = "Type";
inline constexpr std::string_view kOtherUrl = "Other URL";
inline constexpr std::string_view kTags = "Tags";
inline constexpr std::string_view kEmail = "Email";
inline constexpr std::string_view kUsername = "Username";
inline constexpr std::string_view kPassword = "Password";
inline constexpr std::string_view kUrl = "URL";
inline constexpr std::string_view kTotp = "TOTP";
inline constexpr std::string_view kSecurityCode = "Security code";
inline constexpr std::string_view kSsn = "SSN";
inline constexpr std::string_view kPassport = "Passport number";
inline constexpr std::string_view kLicence = "License number";
inline constexpr std::string_view kCompany = "Company";
inline constexpr std::string_view kPhone = "Phone";
inline constexpr std::string_view kAddress = "Address";
}  // namespace note_label

struct CManagerEntry {
    enum class Kind { Login, Note, Card, Identity };
    Kind kind = Kind::Login;
    std::string name;
    std::string username;
    std::string email;
    std::string password;
    std::vector<std::string> urls;
    std::string totp;
    std::string notes;
    std::string category;
    std::string tags;
    // Cards and identities: the six fields of their record.
    std::array<std::string, kFieldCount> fields;
    // "label: value" lines for the note: custom fields, unknown columns.
    std::vector<std::string> lines;
    // The notes may begin with the head that this program's exports for other managers write.
    bool mayHaveHead = false;
};

// "label: value".
std::string NoteLine(std::string_view label, std::string_view value);

// Makes `row` the record row of the entry: its built-in type, eight values (type name, six fields,
// note; the type name left to the row import) and its category.
void EntryToRow(CManagerEntry& entry, CImportRow& row);

// A field's value as a line of a note's head writes it: as it is, or, when it holds a line break or
// begins with a double quote, in double quotes with \\, \", \r and \n for backslash, quote, CR
// and LF.
std::string HeadValue(std::string_view value);

// The head of a note written for another manager (see CManagerRow): "Type: NAME", then up to five
// "label: value" lines (values as HeadValue writes them), then an empty line and the rest, or the
// end. False when `note` does not begin so.
bool SplitNoteHead(std::string_view note, std::string& type, std::vector<std::string>& values,
                   std::string& rest);

}  // namespace tessarin
