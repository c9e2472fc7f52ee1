#include "platform/qt_locale.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include "base/codepage.h"
#include "base/radix_sort.h"
#include "platform/qt_text.h"

namespace tessarin {

namespace {

// The first character of a locale text as Windows-1252, or `fallback` when it has none there or
// would read as a digit.
char FirstCharacter(const QString& text, char fallback) {
    if (text.isEmpty())
        return fallback;
    const std::optional<uint8_t> byte = CodePointToCp1252(text.at(0).unicode());
    if (!byte || (*byte >= '0' && *byte <= '9'))
        return fallback;
    return static_cast<char>(*byte);
}

bool IsFieldLetter(QChar c) {
    return c == u'd' || c == u'M' || c == u'y';
}

// Marks that only steer the direction of writing, as some locales put around separators.
bool IsDirectionMark(QChar c) {
    return c == u'\u200E' || c == u'\u200F' || c == u'\u061C';
}

DateOrder OrderOf(const QString& format) {
    const qsizetype day = format.indexOf(u'd');
    const qsizetype month = format.indexOf(u'M');
    const qsizetype year = format.indexOf(u'y');
    auto before = [](qsizetype a, qsizetype b) { return a >= 0 && (b < 0 || a < b); };
    if (before(year, month) && before(year, day))
        return DateOrder::YearMonthDay;
    if (before(day, month))
        return DateOrder::DayMonthYear;
    return DateOrder::MonthDayYear;
}

// The character that follows the short format's first field: "/" in "M/d/yy".
char SeparatorOf(const QString& format) {
    qsizetype i = 0;
    while (i < format.size() && !IsFieldLetter(format[i]))
        ++i;
    while (i < format.size() && IsFieldLetter(format[i]))
        ++i;
    while (i < format.size() && IsDirectionMark(format[i]))
        ++i;
    return i < format.size() ? FirstCharacter(format.mid(i, 1), '/') : '/';
}

// Printable ASCII: what most cell texts are made of.
bool IsPlain(uint8_t c) {
    return c >= 0x20 && c < 0x7F;
}

bool IsPlain(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsPlain(uint8_t(c)); });
}

// From this many texts on, a sort ranks printable-ASCII texts by weights where it can (below).
constexpr size_t kPlainWeightsFrom = 2000;

// The weights by which a collator orders printable-ASCII texts, when it orders every such text as
// the string of its characters' weights: no character ignored, expanded or contracted with
// another. Found by collating every such text of up to two characters and checking that the
// weights give the same order; none when they do not (a locale that sorts "ch" or "aa" as one
// letter, say).
std::optional<CByteMap> PlainWeights(const QCollator& collator) {
    std::vector<QString> probes = {QString()};
    for (char16_t a = 0x20; a < 0x7F; ++a) {
        probes.push_back(QString(QChar(a)));
        for (char16_t b = 0x20; b < 0x7F; ++b)
            probes.push_back(QString(QChar(a)) + QChar(b));
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(probes.size());
    for (const QString& probe : probes)
        keys.push_back(collator.sortKey(probe));
    std::vector<uint32_t> order(probes.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return keys[a].compare(keys[b]) < 0; });

    CByteMap weights{};
    uint8_t weight = 0;
    int previous = -1;
    for (uint32_t i : order) {
        if (probes[i].size() != 1)
            continue;
        if (previous < 0 || keys[static_cast<uint32_t>(previous)].compare(keys[i]) != 0)
            ++weight;
        weights[probes[i][0].unicode()] = weight;
        previous = static_cast<int>(i);
    }
    auto weighed = [&](uint32_t i) {
        std::string text;
        for (QChar c : probes[i])
            text += static_cast<char>(weights[c.unicode()]);
        return text;
    };
    for (size_t k = 1; k < order.size(); ++k) {
        const bool same = keys[order[k - 1]].compare(keys[order[k]]) == 0;
        const std::string a = weighed(order[k - 1]), b = weighed(order[k]);
        if (same ? a != b : a >= b)
            return std::nullopt;
    }
    return weights;
}

}  // namespace

struct CQtLocale::CCollators {
    QCollator caseless;
    QCollator cased;
    // Found at the first large sort.
    std::optional<std::optional<CByteMap>> plainWeights;

    explicit CCollators(const QLocale& locale) : caseless(locale), cased(locale) {
        caseless.setCaseSensitivity(Qt::CaseInsensitive);
        cased.setCaseSensitivity(Qt::CaseSensitive);
    }
    const QCollator& For(bool caseSensitive) const { return caseSensitive ? cased : caseless; }
    const std::optional<CByteMap>& PlainWeights() {
        if (!plainWeights)
            plainWeights = tessarin::PlainWeights(caseless);
        return *plainWeights;
    }
};

std::unique_ptr<CQtLocale> CQtLocale::System() {
    const QLocale system = QLocale::system();
    if (system.language() != QLocale::C)
        return std::make_unique<CQtLocale>(system);
    const QLocale dates(QLocale::English, QLocale::UnitedStates);
    return std::unique_ptr<CQtLocale>(new CQtLocale(dates, system, system.collation()));
}

CQtLocale::CQtLocale(const QLocale& locale) : CQtLocale(locale, locale, locale.collation()) {}

CQtLocale::CQtLocale(const QLocale& dates, const QLocale& numbers, const QLocale& collation)
    : m_order(OrderOf(dates.dateFormat(QLocale::ShortFormat))),
      m_dateSeparator(SeparatorOf(dates.dateFormat(QLocale::ShortFormat))),
      m_decimalSymbol(FirstCharacter(numbers.decimalPoint(), '.')),
      m_collators(std::make_unique<CCollators>(collation)) {}

CQtLocale::~CQtLocale() = default;

int CQtLocale::Compare(std::string_view a, std::string_view b, bool caseSensitive) const {
    return m_collators->For(caseSensitive).compare(Cp1252ToQString(a), Cp1252ToQString(b));
}

std::vector<uint32_t> CQtLocale::CollationRanks(std::span<const std::string_view> texts,
                                                bool caseSensitive) const {
    if (!caseSensitive && texts.size() >= kPlainWeightsFrom) {
        if (const std::optional<CByteMap>& weights = m_collators->PlainWeights())
            return RanksByWeights(texts, *weights);
    }
    return RanksByKeys(texts, caseSensitive);
}

std::vector<uint32_t> CQtLocale::RanksByKeys(std::span<const std::string_view> texts,
                                             bool caseSensitive) const {
    // One sort key per text, made once; comparing keys is comparing bytes.
    const QCollator& collator = m_collators->For(caseSensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    QString text;
    for (std::string_view cp1252 : texts) {
        Cp1252ToQString(cp1252, text);
        keys.push_back(collator.sortKey(text));
    }
    // QCollator::compare puts the empty text before all others, even before texts whose every
    // character the collation ignores; the ranks agree with it.
    auto compare = [&](uint32_t a, uint32_t b) {
        if (texts[a].empty() || texts[b].empty())
            return int(!texts[a].empty()) - int(!texts[b].empty());
        return keys[a].compare(keys[b]);
    };
    std::vector<uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; });
    return RanksFromOrder(order, compare);
}

std::vector<uint32_t> CQtLocale::RanksByWeights(std::span<const std::string_view> texts,
                                                const CByteMap& weights) const {
    // Printable-ASCII texts are ordered by their weights without the collator; the others by the
    // collator; the two orders are then merged by the collator.
    std::vector<uint32_t> plain, other;
    size_t bytes = 0;
    for (std::string_view text : texts)
        bytes += text.size();
    CPackedTexts weighed;
    weighed.Reserve(texts.size(), bytes);
    plain.reserve(texts.size());
    std::vector<std::string_view> otherTexts;
    for (uint32_t i = 0; i < texts.size(); ++i) {
        if (IsPlain(texts[i])) {
            plain.push_back(i);
            weighed.Add(texts[i], weights);
        } else {
            other.push_back(i);
            otherTexts.push_back(texts[i]);
        }
    }
    std::vector<bool> plainSame;
    const std::vector<uint32_t> plainOrder = weighed.Order(&plainSame);
    const std::vector<uint32_t> otherRanks = RanksByKeys(otherTexts, false);
    std::vector<uint32_t> otherOrder(other.size());
    std::iota(otherOrder.begin(), otherOrder.end(), 0u);
    std::sort(otherOrder.begin(), otherOrder.end(), [&](uint32_t a, uint32_t b) {
        return otherRanks[a] != otherRanks[b] ? otherRanks[a] < otherRanks[b] : a < b;
    });

    // A text in the merged order: (from the plain ones, index among them).
    struct CAt {
        bool plain;
        uint32_t index;
    };
    QString a, b;
    auto compare = [&](CAt x, CAt y) {
        if (x.plain && y.plain)
            return weighed.Text(x.index).compare(weighed.Text(y.index));
        if (!x.plain && !y.plain)
            return otherRanks[x.index] < otherRanks[y.index]   ? -1
                   : otherRanks[x.index] > otherRanks[y.index] ? 1
                                                               : 0;
        Cp1252ToQString(texts[x.plain ? plain[x.index] : other[x.index]], a);
        Cp1252ToQString(texts[y.plain ? plain[y.index] : other[y.index]], b);
        return m_collators->caseless.compare(a, b);
    };
    std::vector<uint32_t> ranks(texts.size());
    uint32_t rank = 0;
    std::optional<CAt> last;
    for (size_t p = 0, o = 0; p < plainOrder.size() || o < otherOrder.size();) {
        const bool takeOther =
            p == plainOrder.size() ||
            (o < otherOrder.size() && compare({false, otherOrder[o]}, {true, plainOrder[p]}) < 0);
        const CAt next = takeOther ? CAt{false, otherOrder[o]} : CAt{true, plainOrder[p]};
        // Two plain texts in a row are neighbours in their own order, which knows if they are
        // alike.
        const bool same =
            last && (last->plain && next.plain ? bool(plainSame[p]) : compare(*last, next) == 0);
        if (last && !same)
            ++rank;
        ranks[next.plain ? plain[next.index] : other[next.index]] = rank;
        last = next;
        takeOther ? ++o : ++p;
    }
    return ranks;
}

}  // namespace tessarin
