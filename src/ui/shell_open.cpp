#include "ui/shell_open.h"

#include <QDesktopServices>

#include "platform/process_guard.h"

namespace tessarin {

bool OpenInDesktop(const QUrl& url) {
    const CStartUmask userMask;
    return QDesktopServices::openUrl(url);
}

}  // namespace tessarin
