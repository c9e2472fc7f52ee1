#include "resources/command_table_data.h"

#include <algorithm>

namespace tessarin::cmd {

namespace {

constexpr std::string_view kPopups[] = {"&File", "&Edit", "&Item", "&View",
                                        "&User", "Sync",  "&Help"};

// The submenu of the imports of other password managers' exports.
constexpr std::string_view kFromManager = "&File|&Import|&From Another Password Manager";

// clang-format off
constexpr CCommandInfo kCommands[] = {
    {kSetPassword, "&File", "&Set Password...", ""},
    {kSeparator, "&File", "", ""},
    {kEditTypes, "&File", "Edit &Types...", ""},
    {kEditCategories, "&File", "Edit &Categories...", ""},
    {kChangeDatabaseLocation, "&File", "Change Database Location...", ""},
    {kSeparator, "&File", "", ""},
    {kPrint, "&File", "&Print...\tCtrl+P", ""},
    {kPrintPreview, "&File", "Print Pre&view", ""},
    {kPrintSetup, "&File", "P&rint Setup...", ""},
    {kSeparator, "&File", "", ""},
    {kImportVex, "&File|&Import", "&Tessarin vEX...", ""},
    {kImportCsv, "&File|&Import", "&CSV...", ""},
    {kImportCryptinfo, "&File|&Import", "Cr&yptinfo TXT...", ""},
    {kImportEWallet, "&File|&Import", "&eWallet TXT...", ""},
    {kImportMobileSafe, "&File|&Import", "&MobileSafe TXT...", ""},
    {kImportTopSecret, "&File|&Import", "&TopSecret CSV...", ""},
    {kImportYaps, "&File|&Import", "&Yaps TXT...", ""},
    {kImportKeePassXc, kFromManager, "&KeePassXC CSV...", ""},
    {kImportBitwarden, kFromManager, "&Bitwarden CSV or JSON...", ""},
    {kImportChrome, kFromManager, "&Chrome, Chromium, Edge or Brave CSV...", ""},
    {kImportFirefox, kFromManager, "&Firefox CSV...", ""},
    {kImportOnePassword, kFromManager, "&1Password CSV...", ""},
    {kImportLastPass, kFromManager, "&LastPass CSV...", ""},
    {kImportProtonPass, kFromManager, "&Proton Pass CSV...", ""},
    {kExportVex, "&File|&Export...", "Tessarin vEX...", ""},
    {kExportCsv, "&File|&Export...", "CSV...", ""},
    {kExportManager, "&File|&Export...", "For Another Password Manager...", ""},
    {kSeparator, "&File", "", ""},
    {kBackup, "&File", "Backup...", ""},
    {kRestore, "&File", "Restore...", ""},
    {kSeparator, "&File", "", ""},
    {kAutoLock, "&File", "&Auto-Lock...", ""},
    {kSeparator, "&File", "", ""},
    {kExit, "&File", "E&xit", ""},
    {kCut, "&Edit", "Cu&t\tCtrl+X", ""},
    {kCopy, "&Edit", "&Copy\tCtrl+C", ""},
    {kPaste, "&Edit", "&Paste\tCtrl+V", ""},
    {kSeparator, "&Edit", "", ""},
    {kSelectAll, "&Edit", "Select &All\tCtrl+A", ""},
    {kSeparator, "&Edit", "", ""},
    {kCopyCategory, "&Edit", "Copy Category\tCtrl+0", ""},
    {kCopyField1, "&Edit", "Copy Field 1\tCtrl+1", ""},
    {kCopyField1 + 1, "&Edit", "Copy Custom 2\tCtrl+2", ""},
    {kCopyField1 + 2, "&Edit", "Copy Custom 3\tCtrl+3", ""},
    {kCopyField1 + 3, "&Edit", "Copy Custom 4\tCtrl+4", ""},
    {kCopyField1 + 4, "&Edit", "Copy Custom 5\tCtrl+5", ""},
    {kCopyField1 + 5, "&Edit", "Copy Custom 6\tCtrl+6", ""},
    {kCopyNote, "&Edit", "Copy Note\tCtrl+7", ""},
    {kNewItem, "&Item", "&New Item...\tCtrl+N", ""},
    {kEditItem, "&Item", "&Edit Item...\tReturn", "Num+Enter"},
    {kDeleteItem, "&Item", "&Delete Item...\tDel", "Ctrl+E"},
    {kDuplicateItem, "&Item", "Duplicate &Item...\tCtrl+D", ""},
    {kCustomizeFields, "&Item", "&Customize Fields...", ""},
    {kSeparator, "&Item", "", ""},
    {kFind, "&Item", "&Find...\tCtrl+F", ""},
    {kFindAll, "&Item", "Find &All\tCtrl+G", ""},
    {kSearch, "&Item", "&Search\tCtrl+K", ""},
    {kSeparator, "&Item", "", ""},
    {kOpenUrl, "&Item", "Open &URL\tCtrl+U", ""},
    {kShowColumns, "&View", "&Show Columns...", ""},
    {kShowDetails, "&View", "Show &Details...", ""},
    {kUnmask, "&View", "Un&mask\tCtrl+M", ""},
    {kPasswordHealth, "&View", "Password &Health...", ""},
    {kSeparator, "&View", "", ""},
    {kRowColor, "&View", "&Row Color...", ""},
    {kSetFont, "&View", "Set &Font...", ""},
    {kSeparator, "&View", "", ""},
    {kStatusBar, "&View", "&Status Bar", ""},
    {kFirstUser, "&User", "Users", ""},
    {kSync, "Sync", "Sync", ""},
    {kSyncSettings, "Sync", "Sync Settings...", ""},
    {kAbout, "&Help", "&About Tessarin Password Manager...", ""},
    {kUserGuide, "&Help", "&User Guide...", ""},
    // Commands without a menu item.
    {kFaqPage, "", "", ""},
    {kSupportPage, "", "", ""},
    {kDownloadPage, "", "", ""},
    {kSetTypeUnfiled, "", "", ""},
    {kSetCategoryUnfiled, "", "", ""},
};

constexpr CContextItem kContextItems[] = {
    {kEditItem, "", "&Edit Item..."},
    {kSeparator, "", ""},
    {kSetTypeUnfiled, "Type", "Unfiled"},
    {kSetCategoryUnfiled, "Category", "Unfiled"},
    {kCustomizeFields, "", "Customize &Fields..."},
    {kSeparator, "", ""},
    {kCut, "", "Cut"},
    {kCopy, "", "Copy"},
    {kPaste, "", "Paste"},
    {kSeparator, "", ""},
    {kDuplicateItem, "", "Duplicate..."},
};
// clang-format on

}  // namespace

std::string_view ItemKeyText(std::string_view text) {
    const size_t tab = text.find('\t');
    return tab == std::string_view::npos ? std::string_view() : text.substr(tab + 1);
}

std::span<const std::string_view> MenuBarPopups() {
    return kPopups;
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
