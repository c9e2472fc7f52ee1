// dump: the whole database as JSON, in the order held in memory after loading.
#include "base/codepage.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/json_writer.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

std::string HexBytes(const uint8_t* bytes, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * size);
    for (size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

void Text(CJsonWriter& json, std::string_view cp1252) {
    json.String(Cp1252ToUtf8(cp1252));
}

template <typename Get>
void TextArray(CJsonWriter& json, Get get) {
    json.BeginArray(true);
    for (int i = 0; i < kFieldCount; ++i)
        Text(json, get(i));
    json.EndArray();
}

void Longs(CJsonWriter& json, const std::array<uint32_t, 2>& longs) {
    json.Key("longs");
    json.BeginArray(true);
    json.Number(longs[0]);
    json.Number(longs[1]);
    json.EndArray();
}

// The fields every item shares, after its own.
void Common(CJsonWriter& json, const CBaseItem& item) {
    json.Key("icon");
    json.Number(item.m_icon);
    json.Key("record_number");
    json.Number(item.m_recordNumber);
    json.Key("modified");
    json.Bool(item.m_modified);
    json.Key("deleted");
    json.Bool(item.m_deleted);
    json.Key("reserved");
    json.BeginObject(true);
    json.Key("word");
    json.Number(item.m_reservedWord);
    Longs(json, item.m_reservedLongs);
    json.EndObject();
}

void Type(CJsonWriter& json, const CTypeItem& type) {
    json.BeginObject();
    json.Key("key");
    json.String(type.m_key.Hex());
    json.Key("name");
    Text(json, type.GetName());
    json.Key("labels");
    TextArray(json, [&](int i) { return type.GetLabel(i); });
    json.Key("mask");
    json.Number(type.m_maskBits);
    Common(json, type);
    json.Key("columns");
    json.BeginObject(true);
    json.Key("count");
    json.Number(type.m_columns.count);
    json.Key("entries");
    json.BeginArray();
    for (const CColumnEntry& e : type.m_columns.entries) {
        json.BeginArray(true);
        json.Number(e.column);
        json.Number(e.width);
        json.Number(e.visible);
        json.Number(e.flag);
        json.EndArray();
    }
    json.EndArray();
    json.EndObject();
    json.EndObject();
}

void Category(CJsonWriter& json, const CBaseItem& category) {
    json.BeginObject();
    json.Key("key");
    json.String(category.m_key.Hex());
    json.Key("name");
    Text(json, category.GetName());
    Common(json, category);
    json.EndObject();
}

void Record(CJsonWriter& json, const CRecord& record) {
    json.BeginObject();
    json.Key("type_key");
    json.String(record.GetTypeKey().Hex());
    json.Key("category_key");
    json.String(record.m_categoryKey.Hex());
    json.Key("values");
    TextArray(json, [&](int i) { return record.GetValue(i); });
    json.Key("note");
    Text(json, record.GetNote());
    json.Key("custom_labels");
    TextArray(json, [&](int i) { return record.GetCustomLabel(i); });
    json.Key("mask");
    json.Number(record.m_maskBits);
    Common(json, record);
    json.EndObject();
}

class CDumpCommand : public ICommand {
public:
    std::string_view Name() const override { return "dump"; }
    int Summary() const override { return str::kCliSummaryDump; }

    int Run(CCliSession& session, const CParsedArgs&) override {
        CDatabaseObj database(session.Context());
        if (int code = session.OpenExisting(database))
            return code;
        CJsonWriter json;
        json.BeginObject();
        json.Key("version");
        json.Number(database.m_version);
        json.Key("check_block");
        json.String(HexBytes(database.m_checkBlock.data(), database.m_checkBlock.size()));
        json.Key("handheld_name");
        Text(json, database.m_handheldName);
        json.Key("reserved");
        json.BeginObject(true);
        json.Key("long");
        json.Number(database.m_reservedLong);
        json.Key("word");
        json.Number(database.m_reservedWord);
        Longs(json, database.m_reservedLongs);
        json.EndObject();
        json.Key("types");
        json.BeginArray();
        for (size_t i = 0; i < database.m_types.Size(); ++i)
            Type(json, *database.TypeAt(i));
        json.EndArray();
        json.Key("categories");
        json.BeginArray();
        for (size_t i = 0; i < database.m_categories.Size(); ++i)
            Category(json, *database.CategoryAt(i));
        json.EndArray();
        json.Key("records");
        json.BeginArray();
        for (size_t i = 0; i < database.m_records.Size(); ++i)
            Record(json, *database.RecordAt(i));
        json.EndArray();
        json.EndObject();
        session.Io().out << json.Text() << '\n';
        return kExitOk;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeDumpCommand() {
    return std::make_unique<CDumpCommand>();
}

}  // namespace tessarin::cli
