#include "store/preference_store.h"

namespace tessarin {

const CMemoryPreferenceStore::Value* CMemoryPreferenceStore::Find(std::string_view section,
                                                                  std::string_view name) const {
    if (m_failing)
        return nullptr;
    const auto found = m_values.find(std::pair(std::string(section), std::string(name)));
    return found == m_values.end() ? nullptr : &found->second;
}

template <typename T>
std::optional<T> CMemoryPreferenceStore::Read(std::string_view section,
                                              std::string_view name) const {
    const Value* value = Find(section, name);
    if (!value || !std::holds_alternative<T>(*value))
        return std::nullopt;
    return std::get<T>(*value);
}

std::optional<uint32_t> CMemoryPreferenceStore::ReadNumber(std::string_view section,
                                                           std::string_view name) const {
    return Read<uint32_t>(section, name);
}

std::optional<std::string> CMemoryPreferenceStore::ReadText(std::string_view section,
                                                            std::string_view name) const {
    return Read<std::string>(section, name);
}

std::optional<std::vector<uint8_t>> CMemoryPreferenceStore::ReadBytes(std::string_view section,
                                                                      std::string_view name) const {
    return Read<std::vector<uint8_t>>(section, name);
}

std::optional<size_t> CMemoryPreferenceStore::StoredSize(std::string_view section,
                                                         std::string_view name) const {
    const Value* value = Find(section, name);
    if (!value)
        return std::nullopt;
    if (std::holds_alternative<uint32_t>(*value))
        return sizeof(uint32_t);
    if (const auto* text = std::get_if<std::string>(value))
        return text->size() + 1;
    return std::get<std::vector<uint8_t>>(*value).size();
}

void CMemoryPreferenceStore::Write(std::string_view section, std::string_view name, Value value) {
    if (!m_failing)
        m_values[std::pair(std::string(section), std::string(name))] = std::move(value);
}

void CMemoryPreferenceStore::WriteNumber(std::string_view section, std::string_view name,
                                         uint32_t value) {
    Write(section, name, value);
}

void CMemoryPreferenceStore::WriteText(std::string_view section, std::string_view name,
                                       std::string_view value) {
    Write(section, name, std::string(value));
}

void CMemoryPreferenceStore::WriteBytes(std::string_view section, std::string_view name,
                                        std::span<const uint8_t> value) {
    Write(section, name, std::vector<uint8_t>(value.begin(), value.end()));
}

void CMemoryPreferenceStore::Remove(std::string_view section, std::string_view name) {
    m_values.erase(std::pair(std::string(section), std::string(name)));
}

}  // namespace tessarin
