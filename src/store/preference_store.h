#pragma once

// Where preferences are kept: named values of three storage types in named sections. The
// preferences layer (store/preferences.h) decides which section and type each value has; a store
// only keeps them. The desktop's store is QSettings (platform/settings_store.h); the one here keeps
// values in memory, for tests and for running without a settings file.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tessarin {

class IPreferenceStore {
public:
    virtual ~IPreferenceStore() = default;

    // A value of the asked type, or none: absent, unreadable, or stored as another type. Texts are
    // Windows-1252; a stored text that Windows-1252 cannot hold is unreadable.
    virtual std::optional<uint32_t> ReadNumber(std::string_view section,
                                               std::string_view name) const = 0;
    virtual std::optional<std::string> ReadText(std::string_view section,
                                                std::string_view name) const = 0;
    // Bytes of whatever length is stored; the caller checks the length.
    virtual std::optional<std::vector<uint8_t>> ReadBytes(std::string_view section,
                                                          std::string_view name) const = 0;
    // The bytes the value takes in its stored form, whatever its type: 4 for a number, a text's
    // length and its terminating zero, a bytes value's length. None when the value is absent.
    virtual std::optional<size_t> StoredSize(std::string_view section,
                                             std::string_view name) const = 0;

    // Writes take effect at once; a failed write is ignored.
    virtual void WriteNumber(std::string_view section, std::string_view name, uint32_t value) = 0;
    virtual void WriteText(std::string_view section, std::string_view name,
                           std::string_view value) = 0;
    virtual void WriteBytes(std::string_view section, std::string_view name,
                            std::span<const uint8_t> value) = 0;
};

class CMemoryPreferenceStore : public IPreferenceStore {
public:
    using Value = std::variant<uint32_t, std::string, std::vector<uint8_t>>;

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

    // The value as stored, or none; for tests.
    const Value* Find(std::string_view section, std::string_view name) const;
    void Remove(std::string_view section, std::string_view name);
    size_t Size() const { return m_values.size(); }
    // While failing, every read finds nothing and every write is lost, as when the settings
    // file cannot be read or written.
    void SetFailing(bool failing) { m_failing = failing; }

private:
    template <typename T>
    std::optional<T> Read(std::string_view section, std::string_view name) const;
    void Write(std::string_view section, std::string_view name, Value value);

    std::map<std::pair<std::string, std::string>, Value> m_values;
    bool m_failing = false;
};

}  // namespace tessarin
