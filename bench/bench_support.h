#pragma once

// A database of realistic records for the benchmarks: web logins, bank accounts and notes, with
// texts of typical lengths, the same on every run.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "security/password.h"
#include "store/builtins.h"
#include "store/core_context.h"
#include "store/database.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"

namespace tessarin::bench {

// The password of the benchmarks' protected databases.
inline constexpr const char* kPassword = "correct horse battery staple";

// A duration in milliseconds.
inline double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

inline std::string Word(std::mt19937& random, size_t min, size_t max) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string word(min + random() % (max - min + 1), ' ');
    for (char& c : word)
        c = letters[random() % (sizeof letters - 1)];
    return word;
}

// Fills `database` with the built-ins and `records` records spread over the types. Sparse records
// hold one short value only: the worst case for memory per byte of file.
inline void FillDatabase(CDatabaseObj& database, size_t records, bool sparse = false) {
    std::mt19937 random(42);
    CreateBuiltInTypes(database.m_types);
    CreateBuiltInCategories(database.m_categories);
    database.m_records.Reserve(records);
    for (size_t i = 0; i < records; ++i) {
        auto item = database.m_records.CreateItem();
        auto& record = static_cast<CRecord&>(*item);
        record.ApplyType(database.TypeAt(random() % database.m_types.Size()));
        record.m_categoryKey = database.CategoryAt(random() % 2)->m_key;
        record.SetValue(0, Word(random, 8, 24));  // description
        record.m_recordNumber = static_cast<uint32_t>(i + 1);
        if (sparse) {
            database.m_records.Add(std::move(item));
            continue;
        }
        record.SetValue(1, Word(random, 6, 14) + "@" + Word(random, 4, 8) + ".com");
        record.SetValue(2, Word(random, 10, 16));  // password
        record.SetValue(3, "https://www." + Word(random, 5, 12) + ".com/login");
        if (random() % 3 == 0)
            record.SetNote(Word(random, 10, 40) + "\r\n" + Word(random, 10, 40));
        database.m_records.Add(std::move(item));
    }
}

// Writes a database of `records` records under `password` to `path`; returns the file's size.
inline size_t MakeDatabaseFile(const std::string& path, size_t records, const char* password,
                               bool sparse = false) {
    CCoreContext context;
    SetDatabaseKey(context, CSecret(password));
    CDatabaseObj database(context);
    database.m_checkBlock = MakeCheckBlock(CSecret(password));
    FillDatabase(database, records, sparse);
    database.m_path = path;
    Save(database);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return static_cast<size_t>(size);
}

}  // namespace tessarin::bench
