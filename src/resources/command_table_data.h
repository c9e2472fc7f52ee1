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
inline constexpr uint32_t kLock = 32880;
inline constexpr uint32_t kPreferences = 32881;
inline constexpr uint32_t kPasswordHealth = 32882;
inline constexpr uint32_t kSync = 33000;
// Beyond the first form of the program.
inline constexpr uint32_t kSearch = 34001;
inline constexpr uint32_t kOpenUrl = 34002;
inline constexpr uint32_t kFirstUser = 40000;  // "&User": one command per user, to 40030
inline constexpr uint32_t kLastUser = 40030;
// The record list's shortcut menu: one command per category and per type after "Unfiled".
inline constexpr uint32_t kFirstCategory = 4000;
inline constexpr uint32_t kLastCategory = 4256;
inline constexpr uint32_t kFirstType = 5000;
inline constexpr uint32_t kLastType = 5400;
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

// The popups: those of the menu bar, their submenus, and those of the record list's shortcut
// menu. Code finds a popup by this number, never by its text.
enum class Popup : uint8_t {
    None,  // no popup: an item of the shortcut menu itself, a command without a menu item
    File,
    Import,
    FromManager,  // in Import: the exports of other password managers
    Export,
    Edit,
    Item,
    View,
    User,
    Sync,
    Help,
    Type,
    Category,
};

struct CPopupInfo {
    Popup id;
    Popup parent;  // Popup::None: in the menu bar (or the shortcut menu)
    std::string_view text;
};

struct CCommandInfo {
    uint32_t id;                 // kSeparator: a separator line in its menu
    Popup menu;                  // the popup the item stands in; Popup::None: no menu item
    std::string_view text;       // the item's text; "\t" and its key as the menu shows it
    std::string_view extraKeys;  // further keys, split by ','
};

// Commands made while a menu is built, one for each entry of a list (a user, a type, a category):
// numbers first to last stand for the entries in order.
struct CCommandRange {
    uint32_t first;
    uint32_t last;
    bool Contains(uint32_t id) const { return id >= first && id <= last; }
};
inline constexpr CCommandRange kUserCommands{kFirstUser, kLastUser};
inline constexpr CCommandRange kTypeCommands{kFirstType, kLastType};
inline constexpr CCommandRange kCategoryCommands{kFirstCategory, kLastCategory};
// The range that holds the number, or none.
const CCommandRange* FindRange(uint32_t id);

// What a command needs of the record list's selection before it may run.
enum class Needs : uint8_t { Nothing, OneRecord, AnyRecord };
Needs SelectionNeeds(uint32_t id);

// The key of an item's text: what follows the tab ("Ctrl+P", "Return", "Del"), or empty.
std::string_view ItemKeyText(std::string_view text);

// The menu bar's popups in order, then their submenus.
std::span<const CPopupInfo> MenuBarPopups();
// The popup of that number (of the menu bar or of the shortcut menu).
const CPopupInfo& PopupInfo(Popup id);
// Every command and separator, in menu order; commands without an item come last.
std::span<const CCommandInfo> CommandTable();
// The command of that number, or none.
const CCommandInfo* FindCommand(uint32_t id);

// The record list's shortcut menu: commands of the table with texts of their own; the "Type" and
// "Category" popups begin with their "Unfiled" command and are filled by the list.
struct CContextItem {
    uint32_t id;  // kSeparator for a line
    Popup popup;  // Popup::Type or Popup::Category: the item stands in that popup
    std::string_view text;
};
std::span<const CContextItem> ContextMenuTable();

}  // namespace tessarin::cmd
