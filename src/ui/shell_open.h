#pragma once

// Opening a web address, a mail address or a file with the desktop's program for it.
#include <QUrl>

namespace tessarin {

// QDesktopServices::openUrl, with the program it starts given the user's own file-creation mask
// rather than the private one this program works under.
bool OpenInDesktop(const QUrl& url);

}  // namespace tessarin
