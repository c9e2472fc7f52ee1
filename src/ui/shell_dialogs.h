#pragma once

// The shell's smaller dialogs: the About box, the "Getting Started" pages, and the question asked
// when a user's database folder is missing.
#include <QString>

#include "ui/dialog_base.h"

namespace tessarin {

// "About Tessarin Password Manager": icon, version, the maker's notice, the promotional line.
class CAboutDialog : public CDialogBase {
    Q_OBJECT
public:
    CAboutDialog(const CStringTable& strings, const QString& version, const QString& promoText,
                 QWidget* parent = nullptr);
};

// Page `page` (1 to 4) of "Getting Started": a picture and its words; "Next" on pages 1 to 3,
// "OK" and "Download Handheld Trial" on page 4.
class CGettingStartedPage : public CDialogBase {
    Q_OBJECT
public:
    CGettingStartedPage(const CStringTable& strings, int page, QWidget* parent = nullptr);
};

// Shows the four pages in order; a page closed without "Next" ends them.
void ShowGettingStarted(const CStringTable& strings, QWidget* parent);

// Dialog 217: "Retry", "Change..." or "Cancel" for a missing database folder.
class CMissingFolderDialog : public CDialogBase {
    Q_OBJECT
public:
    enum Result { Cancel = 0, Retry = 1, Change = 3 };
    CMissingFolderDialog(const CStringTable& strings, const QString& folder,
                         QWidget* parent = nullptr);
};

}  // namespace tessarin
