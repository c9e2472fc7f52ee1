// Writes the two databases that bench/ls_pair.sh lists: a protected Tessarin database of N records
// (the benchmarks' realistic records) and a KeePass 2 XML file of the same entries, for
// keepassxc-cli to import. Usage: make_ls_pair RECORDS PASSWORD DATABASE.tdb ENTRIES.xml
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_support.h"

using namespace tessarin;

namespace {

// Texts are printable ASCII, so only the XML specials need escaping.
std::string Xml(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    return out;
}

void WriteEntry(std::ofstream& out, const CRecord& record, size_t uuid) {
    char id[17];
    std::snprintf(id, sizeof id, "%016zx", uuid);
    // A UUID is 16 bytes in base 64: the record number, padded, encodes as 24 characters.
    static const char b64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string uuid64;
    unsigned long long v = uuid;
    for (int i = 0; i < 22; ++i, v >>= 6)
        uuid64 += b64[i < 11 ? (v & 63) : 0];
    uuid64 += "==";
    out << "<Entry><UUID>" << uuid64 << "</UUID>";
    const char* keys[] = {"Title", "UserName", "Password", "URL"};
    for (int f = 0; f < 4; ++f) {
        out << "<String><Key>" << keys[f] << "</Key><Value"
            << (f == 2 ? " ProtectInMemory=\"True\"" : "") << ">" << Xml(record.GetValue(f))
            << "</Value></String>";
    }
    out << "<String><Key>Notes</Key><Value>" << Xml(record.GetNote()) << "</Value></String>";
    out << "</Entry>\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_ls_pair RECORDS PASSWORD DATABASE.tdb ENTRIES.xml\n");
        return 2;
    }
    const size_t records = std::strtoul(argv[1], nullptr, 10);
    CCoreContext context;
    SetDatabaseKey(context, CSecret(argv[2]));
    CDatabaseObj database(context);
    database.m_checkBlock = MakeCheckBlock(CSecret(argv[2]));
    bench::FillDatabase(database, records);
    database.m_path = argv[3];
    if (!Save(database).Ok()) {
        std::fprintf(stderr, "could not write %s\n", argv[3]);
        return 1;
    }

    // One group per category, as the records are filed.
    std::ofstream out(argv[4]);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<KeePassFile><Meta>"
           "<Generator>make_ls_pair</Generator><DatabaseName>pair</DatabaseName></Meta><Root>"
           "<Group><UUID>AAAAAAAAAAAAAAAAAAAAAA==</UUID><Name>Root</Name>\n";
    for (size_t c = 0; c < database.m_categories.Size(); ++c) {
        const CBaseItem& category = *database.CategoryAt(c);
        out << "<Group><UUID>"
            << "AAAAAAAAAAAAAAAAAAAAA"
            << "QgwB"[c % 4] << "==</UUID><Name>" << Xml(category.GetName()) << "</Name>\n";
        for (size_t r = 0; r < database.m_records.Size(); ++r) {
            const CRecord& record = *database.RecordAt(r);
            if (record.m_categoryKey == category.m_key)
                WriteEntry(out, record, r + 1);
        }
        out << "</Group>\n";
    }
    out << "</Group></Root></KeePassFile>\n";
    return out.good() ? 0 : 1;
}
