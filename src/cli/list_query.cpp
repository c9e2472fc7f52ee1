#include "cli/list_query.h"

#include "base/codepage.h"
#include "base/text_case.h"
#include "cli/cli_session.h"
#include "listing/list_columns.h"
#include "platform/qt_locale.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

// A filter named on the command line: "Unfiled" for the zero key, else the item of that name.
// 0, or the exit code after a message.
int FilterByName(CCliSession& session, const CItemList& list, const std::string& option,
                 const std::string& utf8, int notFoundId, ItemKey& key) {
    std::string name;
    if (!Utf8ToCp1252(utf8, name))
        return session.UsageError(str::kCliNotWindows1252, {option});
    if (EqualsNoCase(name, session.Strings().Get(str::kUnfiled))) {
        key = ZeroKey;
        return kExitOk;
    }
    const CBaseItem* item = list.FindByName(name);
    if (!item)
        return session.Fail(notFoundId, {name});
    key = item->m_key;
    return kExitOk;
}

// "N", "N:asc" or "N:desc" with N from 0 to 9.
std::optional<CSortSetting> ParseSort(const std::string& text) {
    const size_t colon = text.find(':');
    const std::string column = text.substr(0, colon);
    const std::string direction = colon == std::string::npos ? "asc" : text.substr(colon + 1);
    if (column.size() != 1 || column[0] < '0' || column[0] > '9' ||
        (direction != "asc" && direction != "desc"))
        return std::nullopt;
    return CSortSetting{column[0] - '0', direction == "asc"};
}

}  // namespace

std::vector<COptionSpec> RowChoiceOptions() {
    return {
        {"--type", "NAME", str::kCliOptionType},
        {"--category", "NAME", str::kCliOptionCategory},
        {"--sort", "COLUMN[:desc]", str::kCliOptionSort},
        {"--find", "TEXT", str::kCliOptionFind},
        {"--case", "", str::kCliOptionCase},
        {"--word", "", str::kCliOptionWord},
        {"--unmask", "", str::kCliOptionUnmask},
    };
}

std::vector<COptionSpec> ListOptions() {
    std::vector<COptionSpec> options = RowChoiceOptions();
    options.push_back({"--json", "", str::kCliOptionRowsJson});
    return options;
}

uint32_t StoredSortInfo(CCliSession& session) {
    return session.Preferences().ReadWord(Pref::SortInfo);
}

CListQuery::CListQuery(CCliSession& session)
    : m_session(session),
      m_locale(CQtLocale::System()),
      m_database(session.Context()),
      m_list(m_database, *m_locale) {
    session.Context().SetLocale(m_locale.get());
}

CListQuery::~CListQuery() {
    m_session.Context().SetLocale(nullptr);
}

int CListQuery::Run(const CParsedArgs& args) {
    CSortSetting sort = CSortSetting::FromInfo(StoredSortInfo(m_session));
    if (args.Has("--sort")) {
        const std::optional<CSortSetting> given = ParseSort(args.Value("--sort"));
        if (!given)
            return m_session.UsageError(str::kCliBadSortColumn,
                                        {FromTerminal(args.Value("--sort"))});
        sort = *given;
    }
    std::string find;
    if (!Utf8ToCp1252(args.Value("--find"), find))
        return m_session.UsageError(str::kCliNotWindows1252, {"--find"});

    if (int code = m_session.OpenExisting(m_database))
        return code;
    ItemKey key;
    if (args.Has("--type")) {
        if (int code = FilterByName(m_session, m_database.m_types, "--type", args.Value("--type"),
                                    str::kCliNoSuchType, key))
            return code;
        m_list.SetTypeFilter(key);
    }
    if (args.Has("--category")) {
        if (int code = FilterByName(m_session, m_database.m_categories, "--category",
                                    args.Value("--category"), str::kCliNoSuchCategory, key))
            return code;
        m_list.SetCategoryFilter(key);
    }
    m_list.SetSort(sort);
    m_list.SetUnmasked(args.Has("--unmask"));
    // An empty find leaves the list whole, as the Find dialog does.
    if (find.empty())
        m_list.RefillList();
    else
        m_list.RefillFiltered(find, args.Has("--case"), args.Has("--word"));
    return kExitOk;
}

CColumnLayout CListQuery::LayoutInForce() const {
    const CColumnLayout shared = m_session.Preferences().ReadColumns();
    return ReloadedLayout(m_database, m_list.TypeFilter(), shared).value_or(shared);
}

}  // namespace tessarin::cli
