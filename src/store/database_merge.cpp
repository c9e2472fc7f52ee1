#include "store/database_merge.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "base/work_crew.h"
#include "store/database.h"

namespace tessarin {

namespace {

// The other writer's version of an item, taken in place so that whoever holds the item keeps it.
void TakeContent(CBaseItem& mine, const CBaseItem& theirs) {
    mine.CopyFrom(theirs);
    mine.m_reservedWord = theirs.m_reservedWord;
    mine.m_reservedLongs = theirs.m_reservedLongs;
    auto* type = dynamic_cast<CTypeItem*>(&mine);
    const auto* theirType = dynamic_cast<const CTypeItem*>(&theirs);
    if (type && theirType)
        type->m_columns = theirType->m_columns;
}

// Which filed item each of their items is: the same version (`same`), or their version of it
// (`replaces`), found by position for items nothing else identifies. Records stay in the order
// they were added, are changed in place, and new ones only ever go at the end; so a run of their
// items found nowhere among the filed ones, standing before a filed item that is still there, is
// the filed items missing from the same stretch, changed. At the end, after the last filed item
// still there, changed items and new ones cannot be told apart: such a pairing is only a guess
// (`guessed`), good enough to show their version in place of an unchanged one, never to drop
// anything.
struct CTheirMatch {
    std::vector<int64_t> same, replaces;
    std::vector<uint8_t> guessed;
};

CTheirMatch MatchTheirs(const std::vector<CFiledItem>& filed, const CItemList::Storage& theirs,
                        const std::vector<uint64_t>& prints) {
    const size_t count = theirs.size();
    CTheirMatch match{std::vector<int64_t>(count, -1), std::vector<int64_t>(count, -1),
                      std::vector<uint8_t>(count)};
    std::unordered_map<uint64_t, std::vector<size_t>> filedAt;  // positions, last first
    for (size_t i = filed.size(); i-- > 0;)
        filedAt[filed[i].print].push_back(i);
    std::vector<uint8_t> met(filed.size());
    for (size_t k = 0; k < count; ++k) {
        auto at = filedAt.find(prints[k]);
        if (at == filedAt.end() || at->second.empty())
            continue;
        match.same[k] = static_cast<int64_t>(at->second.back());
        at->second.pop_back();
        met[static_cast<size_t>(match.same[k])] = 1;
    }
    const int64_t end = static_cast<int64_t>(filed.size());
    int64_t anchor = -1;
    for (size_t k = 0; k < count;) {
        if (match.same[k] >= 0) {
            anchor = match.same[k++];
            continue;
        }
        const size_t run = k;
        while (k < count && match.same[k] < 0)
            ++k;
        const int64_t next = k < count ? match.same[k] : end;
        int64_t i = anchor + 1;
        for (size_t r = run; r < k; ++r) {
            if (IdentityOf(*theirs[r]))
                continue;  // known by its identity, not by its place
            while (i < next && (met[static_cast<size_t>(i)] || filed[static_cast<size_t>(i)].identity))
                ++i;
            if (i >= next)
                break;
            match.replaces[r] = i;
            match.guessed[r] = k == count;
            met[static_cast<size_t>(i++)] = 1;
        }
    }
    return match;
}

void MergeList(CItemList& list, std::vector<CFiledItem>& filed, CItemList& theirList,
               CMergeOutcome& outcome) {
    const size_t kind = static_cast<size_t>(list.Kind());
    CItemList::Storage mine = list.ReleaseAll();
    CItemList::Storage theirs = theirList.ReleaseAll();

    // What this process changed since the file was last read or written: items it added or
    // changed (`ours`); each item read or written then stands for one filed item of its print.
    std::vector<uint8_t> ours(mine.size()), placed(mine.size());
    std::unordered_map<uint64_t, std::vector<size_t>> byPrint;
    std::unordered_map<uint64_t, size_t> byIdentity;
    for (size_t i = mine.size(); i-- > 0;) {
        const CBaseItem& item = *mine[i];
        if (item.m_filePrint != CBaseItem::kNoFilePrint) {
            byPrint[item.m_filePrint].push_back(i);
            ours[i] = item.Fingerprint() != item.m_filePrint;
        } else {
            ours[i] = true;
        }
        if (const uint64_t identity = IdentityOf(item))
            byIdentity[identity] = i;
    }
    // Filed items with an identity that no item in memory stands for: removed here.
    std::unordered_set<uint64_t> removedHere;
    {
        std::unordered_map<uint64_t, size_t> standing;
        for (const auto& [print, items] : byPrint)
            standing[print] = items.size();
        for (const CFiledItem& item : filed) {
            size_t& left = standing[item.print];
            if (left > 0)
                --left;
            else if (item.identity)
                removedHere.insert(item.identity);
        }
    }
    // The item in memory that stands for a filed item of that print, not yet placed; with
    // `unchangedOnly`, only one this process left as it was.
    const auto standingFor = [&](uint64_t print, bool unchangedOnly) -> std::optional<size_t> {
        auto found = byPrint.find(print);
        if (found == byPrint.end())
            return std::nullopt;
        auto& items = found->second;
        for (size_t at = items.size(); at-- > 0;) {
            const size_t i = items[at];
            if (placed[i] || (unchangedOnly && ours[i]))
                continue;
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(at));
            return i;
        }
        return std::nullopt;
    };

    std::vector<uint64_t> prints(theirs.size());
    for (size_t k = 0; k < theirs.size(); ++k)
        prints[k] = theirs[k]->Fingerprint();
    const CTheirMatch match = MatchTheirs(filed, theirs, prints);

    CItemList::Storage merged;
    merged.reserve(std::max(mine.size(), theirs.size()));
    std::vector<CFiledItem> nowFiled;
    nowFiled.reserve(theirs.size());
    for (size_t k = 0; k < theirs.size(); ++k) {
        auto& their = theirs[k];
        const uint64_t print = prints[k];
        const uint64_t identity = IdentityOf(*their);
        nowFiled.push_back({print, identity});
        std::optional<size_t> mineAt;
        if (match.same[k] >= 0) {
            // The file still holds the item as it was: this process's version decides, or its
            // removal here.
            if (const auto i = standingFor(print, false)) {
                placed[*i] = true;
                merged.push_back(std::move(mine[*i]));
            }
            continue;
        }
        if (identity) {
            if (auto known = byIdentity.find(identity);
                known != byIdentity.end() && !placed[known->second])
                mineAt = known->second;
            else if (removedHere.count(identity))
                continue;  // removed here after the other writer changed it: it stays removed
        } else if (match.replaces[k] >= 0) {
            const uint64_t was = filed[static_cast<size_t>(match.replaces[k])].print;
            // A guess only ever replaces what this process left as it was.
            mineAt = standingFor(was, match.guessed[k]);
            if (!mineAt && !match.guessed[k])
                continue;  // as above
        }
        if (mineAt) {
            // The other writer's version of an item in memory: it is taken unless this process
            // changed the item too, whose save is then the later one. Either way the item now
            // stands for their version in the file.
            const size_t i = *mineAt;
            placed[i] = true;
            if (!ours[i]) {
                TakeContent(*mine[i], *their);
                outcome.changed[kind].push_back(mine[i].get());
            }
            mine[i]->m_filePrint = print;
            merged.push_back(std::move(mine[i]));
            continue;
        }
        // A new item of the other writer.
        their->m_filePrint = print;
        outcome.added[kind].push_back(their.get());
        merged.push_back(std::move(their));
    }
    for (size_t i = 0; i < mine.size(); ++i) {
        if (placed[i])
            continue;
        if (!ours[i]) {
            // Unchanged here and gone from the file: the other writer removed it.
            outcome.removed[kind].push_back(std::move(mine[i]));
            continue;
        }
        // Added here, or changed here while the other writer removed it: it is kept, and the
        // file does not hold it yet.
        mine[i]->m_filePrint = CBaseItem::kNoFilePrint;
        merged.push_back(std::move(mine[i]));
    }
    list.ReplaceAll(std::move(merged));
    filed = std::move(nowFiled);
}

}  // namespace

bool CMergeOutcome::Empty() const {
    for (size_t kind = 0; kind < 3; ++kind)
        if (!added[kind].empty() || !changed[kind].empty() || !removed[kind].empty())
            return false;
    return true;
}

uint64_t IdentityOf(const CBaseItem& item) {
    if (item.Kind() == kKindRecord)
        return item.m_recordNumber;
    uint64_t key;
    std::memcpy(&key, item.m_key.bytes.data(), sizeof key);
    return key;
}

void TakeAsFiled(CDatabaseObj& database) {
    for (int kind = kKindRecord; kind <= kKindCategory; ++kind) {
        std::vector<CFiledItem>& filed = database.m_filedItems[static_cast<size_t>(kind)];
        const CItemList& list = database.ListOf(kind);
        filed.assign(list.Size(), {});
        const auto print = [&](size_t from, size_t to) {
            for (size_t i = from; i < to; ++i) {
                CBaseItem& item = *list.At(i);
                item.m_filePrint = item.Fingerprint();
                filed[i] = {item.m_filePrint, IdentityOf(item)};
            }
        };
        // Each item on its own: a long list is spread over the cores like its load.
        const size_t threads = ItemThreadsFor(list.Size());
        if (threads <= 1) {
            print(0, list.Size());
            continue;
        }
        const size_t batch = ItemThreads().batchItems * 4;
        CWorkCrew crew(threads - 1);
        crew.ForEach((list.Size() + batch - 1) / batch, [&](size_t piece) {
            print(piece * batch, std::min(list.Size(), (piece + 1) * batch));
        });
    }
}

CMergeOutcome MergeFileIntoMemory(CDatabaseObj& database, CDatabaseObj& theirs) {
    CMergeOutcome outcome;
    for (int kind = kKindRecord; kind <= kKindCategory; ++kind)
        MergeList(database.ListOf(kind), database.m_filedItems[static_cast<size_t>(kind)],
                  theirs.ListOf(kind), outcome);
    database.m_types.Sort();
    database.m_categories.Sort();
    // The header's fields are the file's; only a password change alters the check block, and a
    // file under another password is never merged.
    database.m_reservedLong = theirs.m_reservedLong;
    database.m_handheldName = theirs.m_handheldName;
    database.m_reservedWord = theirs.m_reservedWord;
    database.m_reservedLongs = theirs.m_reservedLongs;
    return outcome;
}

}  // namespace tessarin
