#include "support/fixtures.h"

#include "store/database_archive.h"

namespace tessarin::test {

std::vector<uint8_t> StoreToBytes(const CDatabaseObj& database) {
    CMemorySink sink;
    auto& context = const_cast<CDatabaseObj&>(database).Context();
    StoreDatabase(database, sink, context.DatabaseKey(), context.Filler());
    return sink.Bytes();
}

std::string LoadFromBytes(CDatabaseObj& database, const std::vector<uint8_t>& bytes) {
    database.Empty();
    CMemorySource source(bytes.data(), bytes.size());
    try {
        LoadDatabase(database, source, database.Context().DatabaseKey());
    } catch (const CArchiveError& e) {
        return e.what();
    }
    return {};
}

CTypeItem* AddType(CDatabaseObj& database, const std::string& name, uint8_t builtInKey) {
    auto item = database.m_types.CreateItem();
    auto* type = static_cast<CTypeItem*>(item.get());
    type->SetName(name);
    if (builtInKey)
        type->m_key = ItemKey::BuiltIn(builtInKey);
    database.m_types.AddSorted(std::move(item));
    return type;
}

CTypeItem* AddLoginType(CDatabaseObj& database) {
    CTypeItem* login = AddType(database, "Login");
    login->SetValue(0, "Site");
    login->SetValue(2, "Password");
    login->m_maskBits = 0b100;  // field 3
    return login;
}

CCategoryItem* AddCategory(CDatabaseObj& database, const std::string& name, uint8_t builtInKey) {
    auto item = database.m_categories.CreateItem();
    auto* category = static_cast<CCategoryItem*>(item.get());
    category->SetName(name);
    if (builtInKey)
        category->m_key = ItemKey::BuiltIn(builtInKey);
    database.m_categories.AddSorted(std::move(item));
    return category;
}

CRecord* AddRecord(CDatabaseObj& database, const CTypeItem* type, const CCategoryItem* category,
                   std::vector<std::string> values, const std::string& note) {
    auto item = database.m_records.CreateItem();
    auto* record = static_cast<CRecord*>(item.get());
    record->ApplyType(type);
    record->m_categoryKey = category ? category->m_key : ZeroKey;
    for (size_t i = 0; i < values.size() && i < 6; ++i)
        record->SetValue(static_cast<int>(i), values[i]);
    record->SetNote(note);
    database.m_records.Add(std::move(item));
    return record;
}

}  // namespace tessarin::test
