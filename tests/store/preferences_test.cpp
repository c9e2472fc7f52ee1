#include "store/preferences.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace tessarin {
namespace {

using enum Pref;

// The table as it must read: name, section, type, expected size, default, written.
struct CExpected {
    Pref id;
    const char* name;
    PrefSection section;
    PrefType type;
    size_t size;
    uint32_t number;             // numbers; 4-byte values: their default as a number
    std::vector<uint8_t> bytes;  // bytes defaults
    bool written;
};

std::vector<CExpected> ExpectedTable() {
    const std::vector<uint8_t> anyKey{0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    const auto columns = CColumnLayout::Default().ToBytes();
    using S = PrefSection;
    using T = PrefType;
    return {
        {CurrentUser, "Current User", S::Platform, T::Text, 0, 0, {}, true},
        {CurrentType, "Current Type", S::User, T::Bytes, 8, 0, anyKey, true},
        {CurrentCategoryId, "Current CategoryID", S::User, T::Bytes, 8, 0, anyKey, true},
        {Winpos, "Winpos", S::User, T::Text, 0, 0, {}, true},
        {SortInfo, "Sort Info", S::User, T::Bytes, 4, 0, {0x01, 0x00, 0x01, 0x00}, true},
        {ShowColumns, "Show Columns2", S::UserThenGlobal, T::Bytes, 96, 0,
         std::vector<uint8_t>(columns.begin(), columns.end()), true},
        {ShowingDetails, "Showing Details", S::User, T::Number, 0, 1, {}, true},
        {DetailsPaneWidth, "Details Pane Width", S::User, T::Number, 0, 250, {}, true},
        {AutoLock, "Auto Lock", S::User, T::Number, 0, 0, {}, true},
        {SleepMinutes, "Sleep Minutes", S::User, T::Number, 0, 15, {}, true},
        {MaxSleepMinutes, "Max Sleep Minutes", S::Global, T::Number, 0, 60, {}, false},
        {Font, "Font", S::User, T::Bytes, 60, 0, {}, true},
        {RowColor, "Row Color", S::User, T::Bytes, 4, 0, {237, 243, 254, 0}, true},
        {PasswordGeneratorFlags,
         "Password generator flags",
         S::User,
         T::Number,
         0,
         0xFFFF,
         {},
         true},
        {PasswordRequirements, "Password requirements", S::Global, T::Bytes, 32, 0, {}, false},
        {PasswordRequirementsMessage,
         "Password requirements message",
         S::Global,
         T::Text,
         0,
         0,
         {},
         false},
        {PasswordRequirementsError,
         "Password requirements error",
         S::Global,
         T::Text,
         0,
         0,
         {},
         false},
        {CaseSensitive, "Case Sensitive", S::User, T::Number, 0, 0, {}, true},
        {WholeWord, "Whole Word", S::User, T::Number, 0, 0, {}, true},
        {NoPrint, "NoPrint", S::Global, T::Any, 4, 0, {}, false},
        {PromoText, "Promo Text", S::Global, T::Text, 0, 0, {}, false},
        {ClipboardClearSeconds, "Clipboard Clear Seconds", S::User, T::Number, 0, 10, {}, true},
        {AutoBackupsKept, "Auto Backups Kept", S::User, T::Number, 0, 5, {}, true},
        {ClipboardClearUnmasked, "Clipboard Clear Unmasked", S::User, T::Number, 0, 0, {}, true},
        {LockOnScreenLock, "Lock On Screen Lock", S::User, T::Number, 0, 1, {}, true},
        {LockOnSuspend, "Lock On Suspend", S::User, T::Number, 0, 1, {}, true},
        {StartMinimized, "Start Minimized", S::User, T::Number, 0, 0, {}, true},
        {MinimizeToTray, "Minimize To Tray", S::User, T::Number, 0, 0, {}, true},
        {LockWhenMinimized, "Lock When Minimized", S::User, T::Number, 0, 0, {}, true},
    };
}

class Preferences : public ::testing::Test {
protected:
    Preferences() {
        prefs.SetPlatformName("Palm");
        prefs.SetUserName("Alice");
    }
    // Where the table says the value is stored (UserThenGlobal: the user section).
    std::string Section(const CPreferenceInfo& info) const {
        return prefs.SectionName(info.section);
    }

    CMemoryPreferenceStore store;
    CPreferences prefs{store};
};

TEST_F(Preferences, TheTableNamesEveryValueOnceAsTheDocumentationSays) {
    const auto expected = ExpectedTable();
    ASSERT_EQ(expected.size(), kPrefCount);
    std::set<std::string_view> names;
    for (const CExpected& e : expected) {
        const CPreferenceInfo& info = PreferenceInfo(e.id);
        SCOPED_TRACE(e.name);
        EXPECT_EQ(info.name, e.name);
        EXPECT_TRUE(names.insert(info.name).second);
        EXPECT_EQ(info.section, e.section);
        EXPECT_EQ(info.type, e.type);
        EXPECT_EQ(info.written, e.written);
        if (e.type == PrefType::Bytes || e.type == PrefType::Any) {
            EXPECT_EQ(info.size, e.size);
        }
        if (e.type == PrefType::Number) {
            EXPECT_EQ(info.numberDefault, e.number);
        }
    }
}

TEST_F(Preferences, EveryValueReadsItsDefaultWhenAbsent) {
    for (const CExpected& e : ExpectedTable()) {
        SCOPED_TRACE(e.name);
        EXPECT_FALSE(prefs.Holds(e.id));
        switch (e.type) {
            case PrefType::Number:
                EXPECT_EQ(prefs.ReadNumber(e.id), e.number);
                break;
            case PrefType::Text:
                EXPECT_EQ(prefs.ReadText(e.id), "");
                break;
            case PrefType::Bytes: {
                const CPrefBytes read = prefs.ReadBytes(e.id);
                EXPECT_FALSE(read.found);
                EXPECT_EQ(read.bytes, e.bytes);
                break;
            }
            case PrefType::Any:
                break;
        }
    }
    // Nothing is written by reading.
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_EQ(prefs.ReadKey(CurrentType), AnyKey);
    EXPECT_EQ(prefs.ReadKey(CurrentCategoryId), AnyKey);
    EXPECT_EQ(prefs.ReadWord(SortInfo), 65537u);
    EXPECT_EQ(prefs.ReadWord(RowColor), 16708589u);
    EXPECT_EQ(prefs.ReadColumns(), CColumnLayout::Default());
    EXPECT_FALSE(prefs.ReadFont());
    EXPECT_FALSE(prefs.PrintingDisabled());
}

TEST_F(Preferences, BytesOfTheWrongLengthAndValuesOfAnotherTypeAreIgnored) {
    for (const CExpected& e : ExpectedTable()) {
        const CPreferenceInfo& info = PreferenceInfo(e.id);
        const std::string section = Section(info);
        SCOPED_TRACE(e.name);
        switch (e.type) {
            case PrefType::Number:
                store.WriteText(section, e.name, "12");
                EXPECT_EQ(prefs.ReadNumber(e.id), e.number);
                store.WriteBytes(section, e.name, std::vector<uint8_t>{12, 0, 0, 0});
                EXPECT_EQ(prefs.ReadNumber(e.id), e.number);
                break;
            case PrefType::Text:
                store.WriteNumber(section, e.name, 12);
                EXPECT_EQ(prefs.ReadText(e.id), "");
                break;
            case PrefType::Bytes: {
                // Exact lengths refuse one byte less and one more; the 4-byte values take the
                // first four of more, and refuse fewer.
                const bool prefix = info.length == PrefLength::Prefix;
                for (size_t size : {size_t(0), e.size - 1, e.size + 1}) {
                    store.WriteBytes(section, e.name, std::vector<uint8_t>(size, 0x5A));
                    const CPrefBytes read = prefs.ReadBytes(e.id);
                    const bool taken = prefix && size > e.size;
                    EXPECT_EQ(read.found, taken) << size;
                    EXPECT_EQ(read.bytes, taken ? std::vector<uint8_t>(4, 0x5A) : e.bytes) << size;
                }
                store.WriteNumber(section, e.name, 7);
                EXPECT_FALSE(prefs.ReadBytes(e.id).found);
                store.WriteText(section, e.name, std::string(e.size, 'x'));
                EXPECT_FALSE(prefs.ReadBytes(e.id).found);
                break;
            }
            case PrefType::Any:
                break;
        }
    }
}

TEST_F(Preferences, EveryValueRoundTrips) {
    for (const CExpected& e : ExpectedTable()) {
        const CPreferenceInfo& info = PreferenceInfo(e.id);
        const std::string section = Section(info);
        SCOPED_TRACE(e.name);
        // As set in the store (by the administrator, or by an earlier run).
        switch (e.type) {
            case PrefType::Number:
                store.WriteNumber(section, e.name, 0xDEADBEEF);
                EXPECT_EQ(prefs.ReadNumber(e.id), 0xDEADBEEFu);
                break;
            case PrefType::Text:
                store.WriteText(section, e.name, "caf\xE9 - 0001");
                EXPECT_EQ(prefs.ReadText(e.id), "caf\xE9 - 0001");
                break;
            case PrefType::Bytes: {
                std::vector<uint8_t> bytes(e.size);
                for (size_t i = 0; i < bytes.size(); ++i)
                    bytes[i] = static_cast<uint8_t>(i * 37 + 1);
                store.WriteBytes(section, e.name, bytes);
                const CPrefBytes read = prefs.ReadBytes(e.id);
                EXPECT_TRUE(read.found);
                EXPECT_EQ(read.bytes, bytes);
                break;
            }
            case PrefType::Any:
                store.WriteNumber(section, e.name, 0);
                break;
        }
        EXPECT_TRUE(prefs.Holds(e.id));
        store.Remove(section, e.name);

        // As the program writes it: to its own section, with its own type; the administrator's
        // values are never written.
        switch (e.type) {
            case PrefType::Number:
                prefs.WriteNumber(e.id, 77);
                EXPECT_EQ(store.ReadNumber(section, e.name),
                          e.written ? std::optional(77u) : std::nullopt);
                EXPECT_EQ(prefs.ReadNumber(e.id), e.written ? 77u : e.number);
                break;
            case PrefType::Text:
                prefs.WriteText(e.id, "Bob");
                EXPECT_EQ(prefs.ReadText(e.id), e.written ? "Bob" : "");
                break;
            case PrefType::Bytes: {
                const std::vector<uint8_t> bytes(e.size, 0xA5);
                prefs.WriteBytes(e.id, std::vector<uint8_t>(e.size + 1, 0xA5));  // refused
                EXPECT_FALSE(prefs.ReadBytes(e.id).found);
                prefs.WriteBytes(e.id, bytes);
                EXPECT_EQ(store.ReadBytes(section, e.name),
                          e.written ? std::optional(bytes) : std::nullopt);
                EXPECT_EQ(prefs.ReadBytes(e.id).found, e.written);
                break;
            }
            case PrefType::Any:
                break;
        }
        EXPECT_EQ(store.Size(), e.written ? 1u : 0u);
        store.Remove(section, e.name);
    }
    // Asking by another type than the value's own gives the empty value and writes nothing.
    prefs.WriteText(SleepMinutes, "30");
    prefs.WriteNumber(Winpos, 3);
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_EQ(prefs.ReadText(SleepMinutes), "");
    EXPECT_EQ(prefs.ReadNumber(Winpos), 0u);
}

TEST_F(Preferences, TypedBytesValuesRoundTrip) {
    const ItemKey key{{1, 2, 3, 4, 5, 6, 7, 8}};
    prefs.WriteKey(CurrentCategoryId, key);
    EXPECT_EQ(prefs.ReadKey(CurrentCategoryId), key);
    EXPECT_EQ(prefs.ReadKey(CurrentType), AnyKey);

    prefs.WriteWord(SortInfo, 3);  // column 3, descending
    EXPECT_EQ(store.ReadBytes("Palm - Alice", "Sort Info"), (std::vector<uint8_t>{3, 0, 0, 0}));
    EXPECT_EQ(prefs.ReadWord(SortInfo), 3u);

    CColumnLayout layout = CColumnLayout::Default();
    layout.entries[4].visible = 0;
    layout.entries[2].width = 300;
    prefs.WriteColumns(layout);
    EXPECT_EQ(prefs.ReadColumns(), layout);

    CLogFont font;
    font.height = -13;
    font.weight = 700;
    font.italic = 1;
    font.charSet = 0;
    font.pitchAndFamily = 34;
    font.faceName = "DejaVu Sans";
    prefs.WriteFont(font);
    EXPECT_EQ(prefs.ReadFont(), font);
}

TEST_F(Preferences, SectionsFollowThePlatformAndTheUser) {
    EXPECT_EQ(prefs.SectionName(PrefSection::Global), "Preferences");
    EXPECT_EQ(prefs.SectionName(PrefSection::Platform), "Preferences Palm");
    EXPECT_EQ(prefs.SectionName(PrefSection::User), "Palm - Alice");
    prefs.SetPlatformName("");
    EXPECT_EQ(prefs.SectionName(PrefSection::Platform), "Preferences");
    EXPECT_EQ(prefs.SectionName(PrefSection::User), " - Alice");
    prefs.SetPlatformName("Palm");

    // Every per-user value comes from the current user's own section, read at the call.
    prefs.WriteNumber(SleepMinutes, 5);
    prefs.WriteText(CurrentUser, "Alice");
    prefs.SetUserName("Bob");
    EXPECT_EQ(prefs.ReadNumber(SleepMinutes), 15u);
    prefs.WriteNumber(SleepMinutes, 7);
    EXPECT_EQ(prefs.ReadText(CurrentUser), "Alice");  // the platform's, shared
    prefs.SetUserName("Alice");
    EXPECT_EQ(prefs.ReadNumber(SleepMinutes), 5u);
    EXPECT_EQ(store.ReadNumber("Palm - Bob", "Sleep Minutes"), 7u);
    EXPECT_EQ(store.ReadText("Preferences Palm", "Current User"), "Alice");

    // Before anyone logs in, the empty user's section.
    prefs.SetUserName("");
    EXPECT_EQ(prefs.SectionName(PrefSection::User), "Palm - ");
    EXPECT_EQ(prefs.ReadNumber(SleepMinutes), 15u);
}

TEST_F(Preferences, ColumnsComeFromTheGlobalSectionOnlyWhenTheUserHasNone) {
    CColumnLayout shared = CColumnLayout::Default();
    shared.entries[1].width = 222;
    store.WriteBytes("Preferences", "Show Columns2", shared.ToBytes());
    EXPECT_EQ(prefs.ReadColumns(), shared);

    // A 95-byte value in the user section is ignored, and the global one is not consulted.
    store.WriteBytes("Palm - Alice", "Show Columns2", std::vector<uint8_t>(95, 1));
    EXPECT_EQ(prefs.ReadColumns(), CColumnLayout::Default());
    EXPECT_FALSE(prefs.ReadBytes(ShowColumns).found);

    CColumnLayout own = CColumnLayout::Default();
    own.entries[1].width = 111;
    prefs.WriteColumns(own);  // to the user section
    EXPECT_EQ(prefs.ReadColumns(), own);
    const auto sharedBytes = shared.ToBytes();
    EXPECT_EQ(store.ReadBytes("Preferences", "Show Columns2"),
              std::optional(std::vector<uint8_t>(sharedBytes.begin(), sharedBytes.end())));
}

TEST_F(Preferences, DerivedLockRules) {
    const struct {
        std::optional<uint32_t> max;  // "Max Sleep Minutes", none: absent
        uint32_t autoLock;
        uint32_t sleep;
        bool lockOn;
        uint32_t minutes;
    } cases[] = {
        {30, 0, 15, true, 15},  // the administrator forces the lock on...
        {30, 0, 45, true, 30},  // ...and caps the minutes
        {59, 0, 15, true, 15},
        {60, 0, 15, false, 15},
        {60, 1, 90, true, 60},
        {std::nullopt, 0, 15, false, 15},
        {std::nullopt, 1, 75, true, 60},  // capped at the default 60
        {0, 0, 15, true, 0},
        {0xFFFFFFFF, 0, 500, false, 500},  // compared as an unsigned number
        {0xFFFFFFFF, 1, 500, true, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.max ? std::to_string(*c.max) : "absent");
        store.Remove("Preferences", "Max Sleep Minutes");
        if (c.max)
            store.WriteNumber("Preferences", "Max Sleep Minutes", *c.max);
        prefs.WriteNumber(AutoLock, c.autoLock);
        prefs.WriteNumber(SleepMinutes, c.sleep);
        EXPECT_EQ(prefs.EffectiveAutoLock(), c.lockOn);
        EXPECT_EQ(prefs.EffectiveSleepMinutes(), c.minutes);
    }
}

// The administrator fixes some of the user's values by giving them in the global section: they
// hold for every user, whatever the user wrote; the others only ever come from the user's section.
TEST_F(Preferences, TheAdministratorsValueHoldsForTheUserValuesItMayFix) {
    const struct {
        Pref id;
        bool administered;
    } cases[] = {
        {ClipboardClearSeconds, true}, {AutoBackupsKept, true},   {ClipboardClearUnmasked, true},
        {LockOnScreenLock, true},      {LockOnSuspend, true},     {StartMinimized, true},
        {MinimizeToTray, true},        {LockWhenMinimized, true}, {AutoLock, false},
        {SleepMinutes, false},         {ShowingDetails, false},   {CaseSensitive, false},
    };
    for (const auto& c : cases) {
        const std::string_view name = PreferenceInfo(c.id).name;
        SCOPED_TRACE(std::string(name));
        prefs.WriteNumber(c.id, 7);
        EXPECT_FALSE(prefs.SetByAdministrator(c.id));
        store.WriteNumber("Preferences", name, 3);
        EXPECT_EQ(prefs.SetByAdministrator(c.id), c.administered);
        EXPECT_EQ(prefs.ReadNumber(c.id), c.administered ? 3u : 7u);
        // The user's own value stays stored, and holds again once the administrator's goes.
        prefs.WriteNumber(c.id, 8);
        EXPECT_EQ(store.ReadNumber("Palm - Alice", name), std::optional(8u));
        store.Remove("Preferences", name);
        EXPECT_EQ(prefs.ReadNumber(c.id), 8u);
        store.Remove("Palm - Alice", name);
    }
}

TEST_F(Preferences, NoPrintCountsWhenItFitsInFourBytes) {
    const auto set = [&](auto write) {
        store.Remove("Preferences", "NoPrint");
        write();
        return prefs.PrintingDisabled();
    };
    EXPECT_FALSE(set([] {}));
    EXPECT_TRUE(set([&] { store.WriteNumber("Preferences", "NoPrint", 0); }));
    EXPECT_TRUE(set([&] { store.WriteBytes("Preferences", "NoPrint", std::vector<uint8_t>{}); }));
    EXPECT_TRUE(
        set([&] { store.WriteBytes("Preferences", "NoPrint", std::vector<uint8_t>(4, 9)); }));
    EXPECT_FALSE(
        set([&] { store.WriteBytes("Preferences", "NoPrint", std::vector<uint8_t>(5, 9)); }));
    EXPECT_TRUE(set([&] { store.WriteText("Preferences", "NoPrint", "yes"); }));
    EXPECT_FALSE(set([&] { store.WriteText("Preferences", "NoPrint", "true"); }));
    // Only the global section counts.
    EXPECT_FALSE(set([&] { store.WriteNumber("Palm - Alice", "NoPrint", 1); }));
}

TEST_F(Preferences, FailuresAreSilentAndDefaultsApply) {
    prefs.WriteNumber(SleepMinutes, 5);
    store.SetFailing(true);
    EXPECT_EQ(prefs.ReadNumber(SleepMinutes), 15u);
    prefs.WriteNumber(SleepMinutes, 9);
    EXPECT_EQ(prefs.ReadColumns(), CColumnLayout::Default());
    store.SetFailing(false);
    EXPECT_EQ(prefs.ReadNumber(SleepMinutes), 5u);
}

// Whatever is stored, under whatever type and length, reading never fails.
TEST_F(Preferences, ReadersSurviveAnyStoredValue) {
    std::mt19937 random(7);
    const std::string sections[] = {"Preferences", "Preferences Palm", "Palm - Alice"};
    for (int round = 0; round < 300; ++round) {
        for (const CPreferenceInfo& info : PreferenceTable()) {
            const std::string& section = sections[random() % 3];
            std::vector<uint8_t> bytes(random() % 100);
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(random());
            switch (random() % 4) {
                case 0:
                    store.WriteNumber(section, info.name, static_cast<uint32_t>(random()));
                    break;
                case 1:
                    store.WriteText(section, info.name, std::string(bytes.begin(), bytes.end()));
                    break;
                case 2:
                    store.WriteBytes(section, info.name, bytes);
                    break;
                default:
                    store.Remove(section, info.name);
            }
        }
        for (const CPreferenceInfo& info : PreferenceTable()) {
            prefs.ReadNumber(info.id);
            prefs.ReadText(info.id);
            const CPrefBytes read = prefs.ReadBytes(info.id);
            if (info.type == PrefType::Bytes && read.found) {
                EXPECT_EQ(read.bytes.size(), info.size);
            }
            prefs.Holds(info.id);
        }
        prefs.ReadKey(CurrentType);
        prefs.ReadWord(RowColor);
        prefs.ReadColumns();
        prefs.ReadFont();
        prefs.EffectiveAutoLock();
        prefs.EffectiveSleepMinutes();
        ParseWinpos(prefs.ReadText(Winpos));
    }
}

TEST(PreferenceFormats, Winpos) {
    const struct {
        const char* text;
        std::optional<CWindowPlacement> placement;
    } cases[] = {
        {"", std::nullopt},
        {"Maximized", CWindowPlacement{true, 20, 20, 700, 400}},
        {"0010 0020 0700 0400", CWindowPlacement{false, 10, 20, 700, 400}},
        {"-010 0020 1280 1024", CWindowPlacement{false, -10, 20, 1280, 1024}},
        {"12", CWindowPlacement{false, 12, 0, 0, 0}},
        {"maximized", CWindowPlacement{false, 0, 0, 0, 0}},
        {"0001x0002 0003 0004", CWindowPlacement{false, 1, 2, 3, 4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseWinpos(c.text), c.placement) << c.text;

    EXPECT_EQ(FormatWinpos({false, 10, 20, 700, 400}), "0010 0020 0700 0400");
    EXPECT_EQ(FormatWinpos({false, -10, 5, 1280, 1024}), "-010 0005 1280 1024");
    EXPECT_EQ(FormatWinpos({true, 1, 2, 3, 4}), "Maximized");
    const CWindowPlacement normal{false, -7, 30, 999, 9999};
    EXPECT_EQ(ParseWinpos(FormatWinpos(normal)), normal);
}

TEST(PreferenceFormats, LogFontIsSixtyLittleEndianBytes) {
    CLogFont font;
    font.height = -16;
    font.weight = 400;
    font.underline = 1;
    font.quality = 5;
    font.faceName = "Arial";
    const auto bytes = font.ToBytes();
    const uint8_t expected[28] = {0xF0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  0,    0,    0x90, 0x01, 0, 0, 0, 1, 0, 0, 0, 0, 5, 0};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), bytes.begin()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Arial");
    EXPECT_EQ(CLogFont::FromBytes(bytes.data()), font);

    // A face name fills at most 31 bytes; one read without a zero takes all 32.
    font.faceName = std::string(40, 'F');
    EXPECT_EQ(CLogFont::FromBytes(font.ToBytes().data()).faceName, std::string(31, 'F'));
    std::array<uint8_t, 60> full{};
    std::fill(full.begin() + 28, full.end(), 'G');
    EXPECT_EQ(CLogFont::FromBytes(full.data()).faceName, std::string(32, 'G'));
}

}  // namespace
}  // namespace tessarin
