// The row parser of Bitwarden's unencrypted JSON export: its folders (and an organisation's
// collections) first, then one item of "items" a call, each read as a small tree.
#include <cstdlib>
#include <unordered_map>

#include "exchange/json_reader.h"
#include "exchange/manager_entry.h"
#include "exchange/manager_formats.h"
#include "exchange/manager_text.h"

namespace tessarin {

namespace {

// Bitwarden's item types.
enum ItemType { kLogin = 1, kSecureNote = 2, kCard = 3, kIdentity = 4 };

class CBitwardenJsonParser final : public IRowParser {
public:
    explicit CBitwardenJsonParser(std::string_view text)
        : m_begin(text.data()),
          m_end(text.data() + text.size()),
          m_cursor(text),
          m_reader(m_cursor) {
        if (text.starts_with(kUtf8Bom))
            m_cursor.Advance(kUtf8Bom.size());
        ReadOutline();
    }

    bool Next(CImportRow& row) override {
        const char* start = m_cursor.Position();
        // A row without values: the rest of the text cannot be read. It is reported where this
        // call began, after the last item read.
        auto unreadable = [&] {
            m_state = State::Done;
            row.Clear();
            row.unreadable = true;
            m_cursor.Advance(m_cursor.Rest().size());
            return m_cursor.Position() != start;
        };
        while (m_state == State::Items) {
            if (m_reader.Consume(']')) {
                m_state = m_problemAt ? State::Problem : State::Done;
                break;
            }
            if (m_needComma && !m_reader.Consume(','))
                return unreadable();
            CJsonNode item;
            if (!m_reader.Read(&item))
                return unreadable();
            // The comma after an item goes with it, so that the next one is reported at the line
            // where it begins; a comma with nothing after it stays, for the next call to fail on.
            const char* after = m_cursor.Position();
            m_needComma = !m_reader.Consume(',');
            m_reader.SkipWhite();
            if (!m_needComma && m_cursor.AtEnd()) {
                m_cursor.SetPosition(after);
                m_needComma = true;
            }
            if (item.kind != CJsonNode::Kind::Object)
                continue;
            CManagerEntry entry;
            Fill(item, entry);
            EntryToRow(entry, row);
            row.manager.replaced = m_text.TakeReplaced();
            return true;
        }
        return m_state == State::Problem && unreadable();
    }
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    enum class State { Items, Problem, Done };

    // The members of the top object: "encrypted", the folders and collections by id, and where
    // "items" begins; then the cursor stands at its first element.
    void ReadOutline() {
        const char* items = nullptr;
        bool encrypted = false;
        auto problem = [&] { m_problemAt = m_cursor.Position(); };
        if (!m_reader.Consume('{')) {
            problem();
        } else if (!m_reader.Consume('}')) {
            for (;;) {
                std::string key;
                m_reader.SkipWhite();
                if (m_cursor.Peek() != '"' || !m_reader.ReadString(&key) ||
                    !m_reader.Consume(':')) {
                    problem();
                    break;
                }
                CJsonNode node;
                bool read = false;
                if (key == "items") {
                    m_reader.SkipWhite();
                    if (m_cursor.Peek() == '[')
                        items = m_cursor.Position() + 1;
                    read = m_reader.Read(nullptr);
                } else if (key == "folders" || key == "collections" || key == "encrypted") {
                    read = m_reader.Read(&node);
                    if (key == "encrypted")
                        encrypted = node.kind == CJsonNode::Kind::True;
                    else
                        Remember(node, key == "folders" ? m_folders : m_collections);
                } else {
                    read = m_reader.Read(nullptr);
                }
                if (!read) {
                    problem();
                    break;
                }
                if (m_reader.Consume('}'))
                    break;
                if (!m_reader.Consume(',')) {
                    problem();
                    break;
                }
            }
        }
        if (encrypted) {
            // Nothing of an encrypted export can be read; the import refuses it before this.
            m_state = State::Done;
        } else if (items) {
            // A problem after the items is told once they are read.
            m_cursor.SetPosition(items);
            m_state = State::Items;
        } else if (m_problemAt) {
            // Told from where the reading stopped (the last byte, when it ran to the end).
            m_cursor.SetPosition(m_problemAt < m_end || m_begin == m_end ? m_problemAt : m_end - 1);
            m_state = State::Problem;
        }
    }

    static void Remember(const CJsonNode& list,
                         std::unordered_map<std::string, std::string>& names) {
        for (const CJsonMember& member : list.members) {
            const CJsonNode* id = member.value.Find("id");
            const CJsonNode* name = member.value.Find("name");
            if (id && name)
                names.emplace(std::string(id->Text()), std::string(name->Text()));
        }
    }

    std::string Text(const CJsonNode* object, std::string_view key, std::string_view name) {
        const CJsonNode* value = object ? object->Find(key) : nullptr;
        return value ? m_text.Convert(value->Text(), name) : std::string();
    }

    void Fill(const CJsonNode& item, CManagerEntry& entry) {
        entry.name = Text(&item, "name", "name");
        entry.notes = Text(&item, "notes", "notes");
        entry.category = Category(item);
        if (const CJsonNode* fields = item.Find("fields"))
            for (const CJsonMember& field : fields->members) {
                const std::string name = Text(&field.value, "name", "fields");
                const std::string value = Text(&field.value, "value", "fields");
                if (!name.empty() || !value.empty())
                    entry.lines.push_back(NoteLine(name, value));
            }
        const CJsonNode* type = item.Find("type");
        switch (type ? std::atoi(std::string(type->Text()).c_str()) : 0) {
            case kLogin:
                FillLogin(item.Find("login"), entry);
                break;
            case kCard:
                FillCard(item.Find("card"), entry);
                break;
            case kIdentity:
                FillIdentity(item.Find("identity"), entry);
                break;
            case kSecureNote:
            default:
                // Secure notes, and kinds this program does not know (SSH keys): their values
                // as lines of the note.
                entry.kind = CManagerEntry::Kind::Note;
                for (const CJsonMember& member : item.members)
                    if (member.key != "secureNote" && member.key != "fields" &&
                        member.value.kind == CJsonNode::Kind::Object)
                        for (const CJsonMember& value : member.value.members)
                            if (!value.value.Text().empty())
                                entry.lines.push_back(
                                    NoteLine(m_text.Convert(value.key, member.key),
                                             m_text.Convert(value.value.Text(), member.key)));
                break;
        }
    }

    std::string Category(const CJsonNode& item) {
        const std::string* path = nullptr;
        if (const CJsonNode* folder = item.Find("folderId"); folder && !folder->Text().empty()) {
            const auto it = m_folders.find(std::string(folder->Text()));
            path = it == m_folders.end() ? nullptr : &it->second;
        } else if (const CJsonNode* collections = item.Find("collectionIds");
                   collections && !collections->members.empty()) {
            const auto it =
                m_collections.find(std::string(collections->members.front().value.Text()));
            path = it == m_collections.end() ? nullptr : &it->second;
        }
        return path ? m_text.Convert(LastPathComponent(*path, "/"), "folder") : std::string();
    }

    void FillLogin(const CJsonNode* login, CManagerEntry& entry) {
        entry.username = Text(login, "username", "login.username");
        entry.password = Text(login, "password", "login.password");
        entry.totp = Text(login, "totp", "login.totp");
        if (const CJsonNode* uris = login ? login->Find("uris") : nullptr)
            for (const CJsonMember& uri : uris->members)
                if (std::string url = Text(&uri.value, "uri", "login.uris"); !url.empty())
                    entry.urls.push_back(std::move(url));
    }

    // Description, Card #, Exp Date (MM/YY), Name, PIN (empty), Bank (the brand).
    void FillCard(const CJsonNode* card, CManagerEntry& entry) {
        entry.kind = CManagerEntry::Kind::Card;
        std::string month = Text(card, "expMonth", "card.expMonth");
        std::string year = Text(card, "expYear", "card.expYear");
        if (month.size() == 1)
            month.insert(0, "0");
        if (year.size() > 2)
            year.erase(0, year.size() - 2);
        entry.fields = {entry.name,
                        Text(card, "number", "card.number"),
                        month.empty() || year.empty() ? month + year : month + "/" + year,
                        Text(card, "cardholderName", "card.cardholderName"),
                        std::string(),
                        Text(card, "brand", "card.brand")};
        if (std::string code = Text(card, "code", "card.code"); !code.empty())
            entry.lines.push_back(NoteLine(note_label::kSecurityCode, code));
    }

    // Description, Number (the first of the SSN, passport and licence numbers), Name (the whole
    // name); the rest as lines of the note.
    void FillIdentity(const CJsonNode* identity, CManagerEntry& entry) {
        entry.kind = CManagerEntry::Kind::Identity;
        std::string name;
        for (const char* part : {"title", "firstName", "middleName", "lastName"})
            if (std::string text = Text(identity, part, "identity.name"); !text.empty())
                name += (name.empty() ? "" : " ") + text;
        std::string address;
        for (const char* part :
             {"address1", "address2", "address3", "city", "state", "postalCode", "country"})
            if (std::string text = Text(identity, part, "identity.address"); !text.empty())
                address += (address.empty() ? "" : ", ") + text;
        std::string number;
        struct CLine {
            const char* key;
            std::string_view label;
            bool number;
        };
        static constexpr CLine kLines[] = {
            {"ssn", note_label::kSsn, true},
            {"passportNumber", note_label::kPassport, true},
            {"licenseNumber", note_label::kLicence, true},
            {"company", note_label::kCompany, false},
            {"email", note_label::kEmail, false},
            {"phone", note_label::kPhone, false},
            {"username", note_label::kUsername, false},
        };
        std::vector<std::string> lines;
        for (const CLine& line : kLines) {
            std::string value = Text(identity, line.key, std::string("identity.") + line.key);
            if (value.empty())
                continue;
            if (line.number && number.empty())
                number = std::move(value);
            else
                lines.push_back(NoteLine(line.label, value));
        }
        if (!address.empty())
            lines.push_back(NoteLine(note_label::kAddress, address));
        entry.fields = {entry.name, number, name, std::string(), std::string(), std::string()};
        entry.lines.insert(entry.lines.begin(), lines.begin(), lines.end());
    }

    const char* m_begin;
    const char* m_end;
    CTextCursor m_cursor;
    CJsonReader m_reader;
    State m_state = State::Done;
    bool m_needComma = false;
    const char* m_problemAt = nullptr;
    std::unordered_map<std::string, std::string> m_folders;
    std::unordered_map<std::string, std::string> m_collections;
    CImportText m_text;
};

}  // namespace

std::unique_ptr<IRowParser> MakeBitwardenJsonParser(std::string_view text) {
    return std::make_unique<CBitwardenJsonParser>(text);
}

}  // namespace tessarin
