#pragma once

// Every command of the main window as data: its number, where its item stands in the menu bar, the
// item's text (with the key after a tab, as the menu shows it), further keys, and the number of its
// status-bar prompt. The desktop program builds its menus, shortcuts, prompts and the record list's
// shortcut menu from these tables; nothing else declares a command.
#include <cstdint>
#include <span>
#include <string_view>

namespace tessarin::cmd {

// Command numbers. A prompt has the number of its command.
inline constexpr uint32_t kEditTypes = 32771;
inline constexpr uint32_t kNewItem = 32772;
inline constexpr uint32_t kEditItem = 32773;
inline constexpr uint32_t kShowColumns = 32777;
inline constexpr uint32_t kShowDetails = 32779;
inline constexpr uint32_t kDeleteItem = 32780;
inline constexpr uint32_t kSetPassword = 32781;
inline constexpr uint32_t kDuplicateItem = 32782;
inline constexpr uint32_t kImportCsv = 32789;
inline constexpr uint32_t kImportCryptinfo = 32790;
inline constexpr uint32_t kImportTopSecret = 32791;
inline constexpr uint32_t kImportMobileSafe = 32792;
inline constexpr uint32_t kImportYaps = 32793;
inline constexpr uint32_t kImportEWallet = 32794;
inline constexpr uint32_t kAutoLock = 32795;
inline constexpr uint32_t kFindAll = 32797;
inline constexpr uint32_t kExportVex = 32800;
inline constexpr uint32_t kExportCsv = 32801;
inline constexpr uint32_t kSelectAll = 32802;
inline constexpr uint32_t kImportVex = 32808;
inline constexpr uint32_t kCopyField1 = 32809;  // to 32814 for field 6
inline constexpr uint32_t kCopyNote = 32815;
inline constexpr uint32_t kRowColor = 32831;
inline constexpr uint32_t kEditCategories = 32834;
inline constexpr uint32_t kCopyCategory = 32838;
inline constexpr uint32_t kUnmask = 32839;
inline constexpr uint32_t kCustomizeFields = 32841;
inline constexpr uint32_t kSetTypeUnfiled = 32843;
inline constexpr uint32_t kSetFont = 32845;
inline constexpr uint32_t kSetCategoryUnfiled = 32847;
inline constexpr uint32_t kSyncSettings = 32848;
inline constexpr uint32_t kBackup = 32850;
inline constexpr uint32_t kRestore = 32851;
inline constexpr uint32_t kChangeDatabaseLocation = 32852;
inline constexpr uint32_t kUserGuide = 32853;
inline constexpr uint32_t kFaqPage = 32854;
inline constexpr uint32_t kSupportPage = 32855;
inline constexpr uint32_t kDownloadPage = 32856;
// Imports from and an export for other password managers.
inline constexpr uint32_t kImportKeePassXc = 32860;
inline constexpr uint32_t kImportBitwarden = 32861;
inline constexpr uint32_t kImportChrome = 32862;
inline constexpr uint32_t kImportFirefox = 32863;
inline constexpr uint32_t kImportOnePassword = 32864;
inline constexpr uint32_t kImportLastPass = 32865;
inline constexpr uint32_t kImportProtonPass = 32866;
inline constexpr uint32_t kExportManager = 32867;
inline constexpr uint32_t kPasswordHealth = 32880;
inline constexpr uint32_t kSync = 33000;
// Beyond the first form of the program.
inline constexpr uint32_t kSearch = 34001;
inline constexpr uint32_t kOpenUrl = 34002;
inline constexpr uint32_t kFirstUser = 40000;  // "&User": one command per user, to 40030
// The application framework's commands keep the framework's numbers.
inline constexpr uint32_t kPrintSetup = 57606;
inline constexpr uint32_t kPrint = 57607;
inline constexpr uint32_t kPrintPreview = 57609;
inline constexpr uint32_t kCopy = 57634;
inline constexpr uint32_t kCut = 57635;
inline constexpr uint32_t kFind = 57636;
inline constexpr uint32_t kPaste = 57637;
inline constexpr uint32_t kAbout = 57664;
inline constexpr uint32_t kExit = 57665;
inline constexpr uint32_t kStatusBar = 59393;

inline constexpr uint32_t kSeparator = 0;

struct CCommandInfo {
    uint32_t id;                 // kSeparator: a separator line in its menu
    std::string_view menu;       // the popup path from the menu bar, levels split by '|'; empty:
                                 // the command has no menu item
    std::string_view text;       // the item's text; "\t" and its key as the menu shows it
    std::string_view extraKeys;  // further keys, split by ','
};

// The key of an item's text: what follows the tab ("Ctrl+P", "Return", "Del"), or empty.
std::string_view ItemKeyText(std::string_view text);

// The menu bar's popups, in order.
std::span<const std::string_view> MenuBarPopups();
// Every command and separator, in menu order; commands without an item come last.
std::span<const CCommandInfo> CommandTable();
// The command of that number, or none.
const CCommandInfo* FindCommand(uint32_t id);

// The record list's shortcut menu: commands of the table with texts of their own; the "Type" and
// "Category" popups begin with their "Unfiled" command and are filled by the list.
struct CContextItem {
    uint32_t id;             // kSeparator for a line; 0 with a popup name for a popup
    std::string_view popup;  // "Type" or "Category": the item stands in that popup
    std::string_view text;
};
std::span<const CContextItem> ContextMenuTable();

}  // namespace tessarin::cmd
