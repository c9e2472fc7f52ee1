#pragma once

// For tests of Qt code: the user's settings file is emptied before and after, and a folder of the
// test's own stands in for the system-wide one (/etc/xdg), so that settings start empty and no
// test sees another's. Header-only: the core tests do not link Qt.
#include <QSettings>
#include <QString>

#include "support/temp_dir.h"

namespace tessarin::test {

class CSettingsSandbox {
public:
    CSettingsSandbox() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                           QString::fromStdString(m_system.Path().string()));
        Clear();
    }
    ~CSettingsSandbox() { Clear(); }
    CSettingsSandbox(const CSettingsSandbox&) = delete;
    CSettingsSandbox& operator=(const CSettingsSandbox&) = delete;

    // The folder that stands in for /etc/xdg.
    const CTempDir& System() const { return m_system; }

private:
    static void Clear() {
        QSettings user(QSettings::NativeFormat, QSettings::UserScope, "Marrowgate",
                       "Tessarin Desktop");
        user.clear();
        user.sync();
    }

    CTempDir m_system;
};

}  // namespace tessarin::test
