#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "store/preferences.h"
#include "support/settings_sandbox.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

class SettingsStore : public ::testing::Test {
protected:
    // Writes the administrator's file by hand, as an administrator would.
    void WriteSystemFile(const std::string& text) {
        const fs::path folder = settings.System() / "Marrowgate";
        fs::create_directories(folder);
        std::ofstream(folder / "Tessarin Desktop.conf") << text;
    }

    test::CSettingsSandbox settings;
};

TEST_F(SettingsStore, LivesInTheUsersConfigurationFolder) {
    CSettingsStore store;
    const fs::path expected =
        fs::path(std::getenv("XDG_CONFIG_HOME")) / "Marrowgate" / "Tessarin Desktop.conf";
    EXPECT_EQ(fs::path(store.FileName().toStdString()), expected);
    store.WriteNumber("Palm - Alice", "Sleep Minutes", 5);
    EXPECT_TRUE(fs::exists(expected));  // written at once
}

TEST_F(SettingsStore, NumbersTextsAndBytesRoundTrip) {
    const std::vector<uint8_t> bytes{0x00, 0xFF, 0x0A, 0x0D, '=', ',', '@', 0x80, 0x00};
    const std::string text = "caf\xE9, \"quoted\" = @here; 100%\\";
    {
        CSettingsStore store;
        store.WriteNumber("Palm - Alice", "Sleep Minutes", 45);
        store.WriteNumber("Palm - Alice", "Password generator flags", 0xFFFFFFFF);
        store.WriteText("Palm - Alice", "Winpos", text);
        store.WriteText("Preferences Palm", "Current User",
                        "Z\xF6"
                        "e");
        store.WriteBytes("Palm - Alice", "Font", bytes);
        store.WriteBytes("Palm - Alice", "Empty", std::vector<uint8_t>{});
    }
    CSettingsStore store;  // a new object reads the file
    EXPECT_EQ(store.ReadNumber("Palm - Alice", "Sleep Minutes"), 45u);
    EXPECT_EQ(store.ReadNumber("Palm - Alice", "Password generator flags"), 0xFFFFFFFFu);
    EXPECT_EQ(store.ReadText("Palm - Alice", "Winpos"), text);
    EXPECT_EQ(store.ReadText("Preferences Palm", "Current User"),
              "Z\xF6"
              "e");
    EXPECT_EQ(store.ReadBytes("Palm - Alice", "Font"), bytes);
    EXPECT_EQ(store.ReadBytes("Palm - Alice", "Empty"), std::vector<uint8_t>{});
    EXPECT_EQ(store.StoredSize("Palm - Alice", "Font"), bytes.size());
    EXPECT_EQ(store.StoredSize("Palm - Alice", "Sleep Minutes"), 4u);
    EXPECT_EQ(store.StoredSize("Palm - Alice", "Winpos"), text.size() + 1);
    EXPECT_EQ(store.StoredSize("Palm - Alice", "Nothing"), std::nullopt);
    // Sections are separate.
    EXPECT_EQ(store.ReadNumber("Palm - Bob", "Sleep Minutes"), std::nullopt);

    // Another type than the stored one reads as nothing.
    EXPECT_EQ(store.ReadNumber("Palm - Alice", "Font"), std::nullopt);
    EXPECT_EQ(store.ReadText("Palm - Alice", "Font"), std::nullopt);
    EXPECT_EQ(store.ReadBytes("Palm - Alice", "Winpos"), std::nullopt);
    EXPECT_EQ(store.ReadBytes("Palm - Alice", "Sleep Minutes"), std::nullopt);
    EXPECT_EQ(store.ReadNumber("Palm - Alice", "Winpos"), std::nullopt);
}

TEST_F(SettingsStore, AdministratorValuesComeFromTheSystemWideFile) {
    WriteSystemFile(
        "[Preferences]\n"
        "Max%20Sleep%20Minutes=30\n"
        "Password%20requirements%20error=Use 8 characters, one of them a digit.\n"
        "Promo%20Text=\"Licensed to Example, Inc.\"\n"
        "NoPrint=1\n"
        "Password%20requirements=@ByteArray("
        "\\b\\xff\\0\\x1\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0acme\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\"
        "0)\n");
    CSettingsStore store;
    CPreferences prefs(store);
    prefs.SetPlatformName("Palm");
    prefs.SetUserName("Alice");
    EXPECT_EQ(prefs.ReadNumber(Pref::MaxSleepMinutes), 30u);
    EXPECT_TRUE(prefs.EffectiveAutoLock());
    prefs.WriteNumber(Pref::SleepMinutes, 45);
    EXPECT_EQ(prefs.EffectiveSleepMinutes(), 30u);
    // An unquoted comma splits an INI value into a list; it reads as the text it was.
    EXPECT_EQ(prefs.ReadText(Pref::PasswordRequirementsError),
              "Use 8 characters, one of them a digit.");
    EXPECT_EQ(prefs.ReadText(Pref::PromoText), "Licensed to Example, Inc.");
    EXPECT_TRUE(prefs.PrintingDisabled());
    const CPrefBytes requirements = prefs.ReadBytes(Pref::PasswordRequirements);
    ASSERT_TRUE(requirements.found);
    EXPECT_EQ(requirements.bytes[0], 8);
    EXPECT_EQ(requirements.bytes[1], 0xFF);
    EXPECT_EQ(requirements.bytes[3], 1);
    EXPECT_EQ(requirements.bytes[16], 'a');

    // The user's own file wins where it has the value.
    store.WriteNumber("Preferences", "Max Sleep Minutes", 90);
    EXPECT_EQ(prefs.ReadNumber(Pref::MaxSleepMinutes), 90u);
}

TEST_F(SettingsStore, HandWrittenValuesOfAnyShapeAreReadOrIgnored) {
    WriteSystemFile(
        "[Preferences]\n"
        "Max%20Sleep%20Minutes=soon\n"
        "NoPrint=disabled\n"
        "Promo%20Text=@ByteArray(abc)\n"
        "[Palm%20-%20Alice]\n"
        "Sleep%20Minutes=-1\n"
        "Auto%20Lock= 1 \n"
        "Details%20Pane%20Width=99999999999\n"
        "Sort%20Info=@ByteArray(\\x2)\n"
        "Winpos=\\x4e2d\n"
        "Case%20Sensitive=1, 2\n");
    CSettingsStore store;
    CPreferences prefs(store);
    prefs.SetPlatformName("Palm");
    prefs.SetUserName("Alice");
    EXPECT_EQ(prefs.ReadNumber(Pref::MaxSleepMinutes), 60u);
    EXPECT_FALSE(prefs.PrintingDisabled());  // "disabled" takes more than 4 bytes
    EXPECT_EQ(prefs.ReadText(Pref::PromoText), "");
    EXPECT_EQ(prefs.ReadNumber(Pref::SleepMinutes), 0xFFFFFFFFu);
    EXPECT_EQ(prefs.ReadNumber(Pref::AutoLock), 1u);
    EXPECT_EQ(prefs.ReadNumber(Pref::DetailsPaneWidth), 250u);
    EXPECT_EQ(prefs.ReadWord(Pref::SortInfo), 65537u);  // fewer than four bytes
    EXPECT_EQ(prefs.ReadText(Pref::Winpos), "");        // not Windows-1252
    EXPECT_EQ(prefs.ReadNumber(Pref::CaseSensitive), 0u);
}

// Whatever QSettings holds under a value's name, in whichever section, reading never fails and a
// bytes value that is found has its length.
TEST_F(SettingsStore, ReadersSurviveAnyStoredValue) {
    std::mt19937 random(11);
    const QString sections[] = {"Preferences", "Preferences Palm", "Palm - Alice"};
    CSettingsStore store;
    CPreferences prefs(store);
    prefs.SetPlatformName("Palm");
    prefs.SetUserName("Alice");
    for (int round = 0; round < 40; ++round) {
        {
            QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Marrowgate",
                          "Tessarin Desktop");
            for (const CPreferenceInfo& info : PreferenceTable()) {
                const QString key = sections[random() % 3] + '/' +
                                    QString::fromLatin1(info.name.data(), info.name.size());
                QByteArray bytes(static_cast<qsizetype>(random() % 100), '\0');
                for (char& b : bytes)
                    b = static_cast<char>(random());
                switch (random() % 7) {
                    case 0:
                        raw.setValue(key, bytes);
                        break;
                    case 1:
                        raw.setValue(key, QString::fromLatin1(bytes));
                        break;
                    case 2:
                        raw.setValue(key, QStringList{"1", QString::fromLatin1(bytes)});
                        break;
                    case 3:
                        raw.setValue(key, static_cast<int>(random()));
                        break;
                    case 4:
                        raw.setValue(key, random() % 2 == 0);
                        break;
                    case 5:
                        raw.setValue(key, QString(QChar(0xD83D)));  // half a surrogate pair
                        break;
                    default:
                        raw.remove(key);
                }
            }
            raw.sync();
        }
        CSettingsStore fresh;  // reads the file as written
        CPreferences read(fresh);
        read.SetPlatformName("Palm");
        read.SetUserName("Alice");
        for (CPreferences* p : {&prefs, &read}) {
            for (const CPreferenceInfo& info : PreferenceTable()) {
                p->ReadNumber(info.id);
                p->ReadText(info.id);
                const CPrefBytes bytes = p->ReadBytes(info.id);
                if (info.type == PrefType::Bytes && bytes.found) {
                    EXPECT_EQ(bytes.bytes.size(), info.size) << info.name;
                }
                p->Holds(info.id);
            }
            p->ReadColumns();
            p->ReadFont();
            p->EffectiveSleepMinutes();
        }
    }
}

}  // namespace
}  // namespace tessarin
