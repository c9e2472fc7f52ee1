// Writing an export or backup file.
#include <new>

#include "exchange/exchange_writer.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/file_io.h"

namespace tessarin {

std::vector<const CRecord*> RecordsInScope(const CDatabaseObj& database, ExportScope scope,
                                           const IListedRecords* list) {
    if (scope == ExportScope::All || !list)
        return LiveRecords(database);
    return scope == ExportScope::CurrentView ? list->ShownRecords() : list->SelectedRecords();
}

std::string BuildExportText(CDatabaseObj& database, ExportFormat format,
                            const std::vector<const CRecord*>& records, const CKeySchedule* key) {
    switch (format) {
        case ExportFormat::Vex:
            return BuildVexText(database, records, key);
        case ExportFormat::Csv:
            return BuildCsvText(database, records);
        default:
            return BuildManagerCsvText(database, records, format);
    }
}

bool WriteExchange(CDatabaseObj& database, ExportFormat format, ExportScope scope,
                   const IListedRecords* list, const std::string& path, const CKeySchedule* key,
                   bool quiet) {
    CCoreContext& context = database.Context();
    try {
        const std::vector<const CRecord*> records = RecordsInScope(database, scope, list);
        const std::string text = BuildExportText(database, format, records, key);
        const auto write = [&](IByteSink& sink) { sink.Write(text.data(), text.size()); };
        if (IsForOtherManager(format))
            WritePrivateFile(path, write);
        else
            WriteFileSafely(path, write, LinkAtPath::Replace);
    } catch (const CFileError& e) {
        if (e.AtOpen() && !quiet)
            context.ShowMessage(str::kErrorCreatingExportFile, {}, MessageIcon::Exclamation);
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool ExportToFile(CDatabaseObj& database, ExportFormat format, ExportScope scope,
                  const IListedRecords* list, const std::string& path, const CKeySchedule* key) {
    if (WriteExchange(database, format, scope, list, path, key))
        return true;
    database.Context().ShowMessage(str::kErrorWritingExportFile, {}, MessageIcon::Exclamation);
    return false;
}

}  // namespace tessarin
