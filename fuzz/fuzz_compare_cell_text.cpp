// Cell comparison and the list's order on any texts: the first three bytes choose the date order,
// the date separator and the decimal symbol; the rest is texts, one a line. Comparing must be
// antisymmetric, a text must equal itself, collation ranks must agree with collating, and sorting
// records of those texts must give back every record, the same way twice.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "listing/cell_compare.h"
#include "listing/record_order.h"
#include "store/core_context.h"

using namespace tessarin;

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const CFixedLocale locale(static_cast<DateOrder>(data[0] % 3), static_cast<char>(data[1]),
                              static_cast<char>(data[2]));
    std::vector<std::string> texts(1);
    for (size_t i = 3; i < size; ++i) {
        if (data[i] == '\n')
            texts.emplace_back();
        else
            texts.back() += static_cast<char>(data[i]);
    }

    for (size_t i = 0; i < texts.size(); ++i) {
        Check(CompareCellText(texts[i], texts[i], locale) == 0);
        const std::string& next = texts[(i + 1) % texts.size()];
        Check(Sign(CompareCellText(texts[i], next, locale)) ==
              -Sign(CompareCellText(next, texts[i], locale)));
    }

    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const std::vector<uint32_t> ranks = locale.CollationRanks(views, false);
    std::vector<uint32_t> order(texts.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return ranks[a] < ranks[b]; });
    for (size_t k = 1; k < order.size(); ++k) {
        const int collated = Sign(locale.Compare(texts[order[k - 1]], texts[order[k]], false));
        Check(collated == (ranks[order[k - 1]] == ranks[order[k]] ? 0 : -1));
    }

    static CCoreContext context;
    CDatabaseObj database(context);
    std::vector<CRecord*> rows;
    for (size_t i = 0; i < texts.size(); ++i) {
        auto item = std::make_unique<CRecord>();
        item->SetValue(0, texts[i]);
        item->SetValue(1, texts[(i + 1) % texts.size()]);
        rows.push_back(static_cast<CRecord*>(database.m_records.Add(std::move(item))));
    }
    for (int column : {3, 4}) {
        for (bool ascending : {true, false}) {
            std::vector<CRecord*> sorted = rows;
            SortRecords(sorted, {column, ascending}, database, locale);
            std::vector<CRecord*> again = rows;
            SortRecords(again, {column, ascending}, database, locale);
            Check(sorted == again);
            std::sort(sorted.begin(), sorted.end());
            std::vector<CRecord*> all = rows;
            std::sort(all.begin(), all.end());
            Check(sorted == all);
        }
    }
    return 0;
}
