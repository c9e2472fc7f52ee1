#include "resources/command_table_data.h"

#include <algorithm>
#include <utility>

namespace tessarin::cmd {

namespace {

using P = Popup;

// clang-format off
// The menu bar's popups in order, then their submenus; the shortcut menu's popups.
constexpr CPopupInfo kPopups[] = {
    {P::File, P::None, "&File"},
    {P::Edit, P::None, "&Edit"},
    {P::Item, P::None, "&Item"},
    {P::View, P::None, "&View"},
    {P::User, P::None, "&User"},
    {P::Sync, P::None, "Sync"},
    {P::Help, P::None, "&Help"},
    {P::Import, P::File, "&Import"},
    {P::FromManager, P::Import, "&From Another Password Manager"},
    {P::Export, P::File, "&Export..."},
};
constexpr CPopupInfo kContextPopups[] = {
    {P::Type, P::None, "Type"},
    {P::Category, P::None, "Category"},
};

constexpr CCommandInfo kCommands[] = {
    {kSetPassword, P::File, "&Set Password...", ""},
    {kSeparator, P::File, "", ""},
    {kEditTypes, P::File, "Edit &Types...", ""},
    {kEditCategories, P::File, "Edit &Categories...", ""},
    {kChangeDatabaseLocation, P::File, "Change Database Location...", ""},
    {kSeparator, P::File, "", ""},
    {kPrint, P::File, "&Print...\tCtrl+P", ""},
    {kPrintPreview, P::File, "Print Pre&view", ""},
    {kPrintSetup, P::File, "P&rint Setup...", ""},
    {kSeparator, P::File, "", ""},
    {kImportVex, P::Import, "&Tessarin vEX...", ""},
    {kImportCsv, P::Import, "&CSV...", ""},
    {kImportCryptinfo, P::Import, "Cr&yptinfo TXT...", ""},
    {kImportEWallet, P::Import, "&eWallet TXT...", ""},
    {kImportMobileSafe, P::Import, "&MobileSafe TXT...", ""},
    {kImportTopSecret, P::Import, "&TopSecret CSV...", ""},
    {kImportYaps, P::Import, "&Yaps TXT...", ""},
    {kImportKeePassXc, P::FromManager, "&KeePassXC CSV...", ""},
    {kImportBitwarden, P::FromManager, "&Bitwarden CSV or JSON...", ""},
    {kImportChrome, P::FromManager, "&Chrome, Chromium, Edge or Brave CSV...", ""},
    {kImportFirefox, P::FromManager, "&Firefox CSV...", ""},
    {kImportOnePassword, P::FromManager, "&1Password CSV...", ""},
    {kImportLastPass, P::FromManager, "&LastPass CSV...", ""},
    {kImportProtonPass, P::FromManager, "&Proton Pass CSV...", ""},
    {kExportVex, P::Export, "Tessarin vEX...", ""},
    {kExportCsv, P::Export, "CSV...", ""},
    {kExportManager, P::Export, "For Another Password Manager...", ""},
    {kSeparator, P::File, "", ""},
    {kBackup, P::File, "Backup...", ""},
    {kRestore, P::File, "Restore...", ""},
    {kSeparator, P::File, "", ""},
    {kLock, P::File, "&Lock\tCtrl+L", ""},
    {kAutoLock, P::File, "&Auto-Lock...", ""},
    {kSeparator, P::File, "", ""},
    {kExit, P::File, "E&xit", ""},
    {kCut, P::Edit, "Cu&t\tCtrl+X", ""},
    {kCopy, P::Edit, "&Copy\tCtrl+C", ""},
    {kPaste, P::Edit, "&Paste\tCtrl+V", ""},
    {kSeparator, P::Edit, "", ""},
    {kSelectAll, P::Edit, "Select &All\tCtrl+A", ""},
    {kSeparator, P::Edit, "", ""},
    {kCopyCategory, P::Edit, "Copy Category\tCtrl+0", ""},
    {kCopyField1, P::Edit, "Copy Field 1\tCtrl+1", ""},
    {kCopyField1 + 1, P::Edit, "Copy Custom 2\tCtrl+2", ""},
    {kCopyField1 + 2, P::Edit, "Copy Custom 3\tCtrl+3", ""},
    {kCopyField1 + 3, P::Edit, "Copy Custom 4\tCtrl+4", ""},
    {kCopyField1 + 4, P::Edit, "Copy Custom 5\tCtrl+5", ""},
    {kCopyField1 + 5, P::Edit, "Copy Custom 6\tCtrl+6", ""},
    {kCopyNote, P::Edit, "Copy Note\tCtrl+7", ""},
    {kSeparator, P::Edit, "", ""},
    {kPreferences, P::Edit, "Pr&eferences...", ""},
    {kNewItem, P::Item, "&New Item...\tCtrl+N", ""},
    {kEditItem, P::Item, "&Edit Item...\tReturn", "Num+Enter"},
    {kDeleteItem, P::Item, "&Delete Item...\tDel", "Ctrl+E"},
    {kDuplicateItem, P::Item, "Duplicate &Item...\tCtrl+D", ""},
    {kCustomizeFields, P::Item, "&Customize Fields...", ""},
    {kSeparator, P::Item, "", ""},
    {kFind, P::Item, "&Find...\tCtrl+F", ""},
    {kFindAll, P::Item, "Find &All\tCtrl+G", ""},
    {kSearch, P::Item, "&Search\tCtrl+K", ""},
    {kSeparator, P::Item, "", ""},
    {kOpenUrl, P::Item, "Open &URL\tCtrl+U", ""},
    {kShowColumns, P::View, "&Show Columns...", ""},
    {kShowDetails, P::View, "Show &Details...", ""},
    {kUnmask, P::View, "Un&mask\tCtrl+M", ""},
    {kPasswordHealth, P::View, "Password &Health...", ""},
    {kSeparator, P::View, "", ""},
    {kRowColor, P::View, "&Row Color...", ""},
    {kSetFont, P::View, "Set &Font...", ""},
    {kSeparator, P::View, "", ""},
    {kStatusBar, P::View, "&Status Bar", ""},
    {kFirstUser, P::User, "Users", ""},
    {kSync, P::Sync, "Sync", ""},
    {kSyncSettings, P::Sync, "Sync Settings...", ""},
    {kAbout, P::Help, "&About Tessarin Password Manager...", ""},
    {kUserGuide, P::Help, "&User Guide...", ""},
    // Commands without a menu item.
    {kFaqPage, P::None, "", ""},
    {kSupportPage, P::None, "", ""},
    {kDownloadPage, P::None, "", ""},
    {kSetTypeUnfiled, P::None, "", ""},
    {kSetCategoryUnfiled, P::None, "", ""},
};

constexpr CContextItem kContextItems[] = {
    {kEditItem, P::None, "&Edit Item..."},
    {kSeparator, P::None, ""},
    {kSetTypeUnfiled, P::Type, "Unfiled"},
    {kSetCategoryUnfiled, P::Category, "Unfiled"},
    {kCustomizeFields, P::None, "Customize &Fields..."},
    {kSeparator, P::None, ""},
    {kCut, P::None, "Cut"},
    {kCopy, P::None, "Copy"},
    {kPaste, P::None, "Paste"},
    {kSeparator, P::None, ""},
    {kDuplicateItem, P::None, "Duplicate..."},
};

constexpr CCommandRange kRanges[] = {kUserCommands, kTypeCommands, kCategoryCommands};

// The commands that work on the selected records; the rest need nothing of the selection.
constexpr std::pair<uint32_t, Needs> kSelectionNeeds[] = {
    {kEditItem, Needs::OneRecord},       {kDuplicateItem, Needs::OneRecord},
    {kCustomizeFields, Needs::OneRecord}, {kDeleteItem, Needs::AnyRecord},
    {kCut, Needs::AnyRecord},            {kCopy, Needs::AnyRecord},
    {kCopyCategory, Needs::OneRecord},   {kCopyField1, Needs::OneRecord},
    {kCopyField1 + 1, Needs::OneRecord}, {kCopyField1 + 2, Needs::OneRecord},
    {kCopyField1 + 3, Needs::OneRecord}, {kCopyField1 + 4, Needs::OneRecord},
    {kCopyField1 + 5, Needs::OneRecord}, {kCopyNote, Needs::OneRecord},
};
// clang-format on

}  // namespace

std::string_view ItemKeyText(std::string_view text) {
    const size_t tab = text.find('\t');
    return tab == std::string_view::npos ? std::string_view() : text.substr(tab + 1);
}

std::span<const CPopupInfo> MenuBarPopups() {
    return kPopups;
}

const CPopupInfo& PopupInfo(Popup id) {
    for (const CPopupInfo& popup : kPopups)
        if (popup.id == id)
            return popup;
    for (const CPopupInfo& popup : kContextPopups)
        if (popup.id == id)
            return popup;
    static constexpr CPopupInfo kNone{Popup::None, Popup::None, ""};
    return kNone;
}

const CCommandRange* FindRange(uint32_t id) {
    const auto it = std::find_if(std::begin(kRanges), std::end(kRanges),
                                 [id](const CCommandRange& range) { return range.Contains(id); });
    return it == std::end(kRanges) ? nullptr : it;
}

Needs SelectionNeeds(uint32_t id) {
    for (const auto& [command, needs] : kSelectionNeeds)
        if (command == id)
            return needs;
    return Needs::Nothing;
}

std::span<const CCommandInfo> CommandTable() {
    return kCommands;
}

const CCommandInfo* FindCommand(uint32_t id) {
    if (id == kSeparator)
        return nullptr;
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const CCommandInfo& info) { return info.id == id; });
    return it == std::end(kCommands) ? nullptr : it;
}

std::span<const CContextItem> ContextMenuTable() {
    return kContextItems;
}

}  // namespace tessarin::cmd
