#pragma once

// The preferences store of the desktop: QSettings in its native format, which on Linux is an INI
// file, $XDG_CONFIG_HOME/Marrowgate/Tessarin Desktop.conf (~/.config/...). Sections are groups;
// numbers are stored as decimal text, texts as UTF-8 text, bytes values as byte arrays. What the
// user's file lacks is read from the system-wide file of the same name under /etc/xdg, which is
// where an administrator sets "Max Sleep Minutes", the password requirements, "NoPrint" and
// "Promo Text". The file is the user's alone: 0600, in a folder of mode 0700.
#include <QString>
#include <memory>

#include "store/preference_store.h"

class QSettings;
class QVariant;

namespace tessarin {

class CSettingsStore : public IPreferenceStore {
public:
    // The user's settings file with the system-wide one behind it.
    CSettingsStore();
    // One given file alone.
    explicit CSettingsStore(const QString& path);
    ~CSettingsStore() override;

    // The file written to.
    QString FileName() const;

    std::optional<uint32_t> ReadNumber(std::string_view section,
                                       std::string_view name) const override;
    std::optional<std::string> ReadText(std::string_view section,
                                        std::string_view name) const override;
    std::optional<std::vector<uint8_t>> ReadBytes(std::string_view section,
                                                  std::string_view name) const override;
    std::optional<size_t> StoredSize(std::string_view section,
                                     std::string_view name) const override;
    void WriteNumber(std::string_view section, std::string_view name, uint32_t value) override;
    void WriteText(std::string_view section, std::string_view name,
                   std::string_view value) override;
    void WriteBytes(std::string_view section, std::string_view name,
                    std::span<const uint8_t> value) override;

private:
    QVariant Value(std::string_view section, std::string_view name) const;
    void SetValue(std::string_view section, std::string_view name, const QVariant& value);
    // Writes the settings out; the file is 0600 and its folder 0700 afterwards.
    void Sync();

    std::unique_ptr<QSettings> m_settings;
};

}  // namespace tessarin
