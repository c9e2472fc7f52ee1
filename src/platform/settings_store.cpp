#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include "base/codepage.h"
#include "base/unique_handle.h"
#include "store/file_io.h"

namespace tessarin {

namespace {

constexpr const char* kOrganisation = "Marrowgate";
constexpr const char* kApplication = "Tessarin Desktop";

QString FromCp1252(std::string_view text) {
    const std::string utf8 = Cp1252ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString Key(std::string_view section, std::string_view name) {
    return FromCp1252(section) + QLatin1Char('/') + FromCp1252(name);
}

bool IsBytes(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray;
}

// An INI file does not keep types: whatever is not a byte array is text, and a number is a text
// that reads as a 32-bit number, signed or not. A text with an unquoted comma comes back as a
// list, which is joined again.
QString AsText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

std::optional<uint32_t> AsNumber(const QVariant& value) {
    if (!value.isValid() || IsBytes(value) || value.typeId() == QMetaType::QStringList)
        return std::nullopt;
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok, 10);
    if (!ok || number < INT32_MIN || number > qlonglong(UINT32_MAX))
        return std::nullopt;
    return static_cast<uint32_t>(number);
}

// The folder that holds the settings file: 0700 if it is the user's own.
void MakeFolderPrivate(const std::string& folder) {
    const CFileHandle fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (fd && ::fstat(fd.Get(), &st) == 0 && st.st_uid == ::geteuid() &&
        (st.st_mode & 07777) != 0700)
        (void)::fchmod(fd.Get(), 0700);
}

}  // namespace

CSettingsStore::CSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             kOrganisation, kApplication)) {}

CSettingsStore::CSettingsStore(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::NativeFormat)) {}

CSettingsStore::~CSettingsStore() = default;

QString CSettingsStore::FileName() const {
    return m_settings->fileName();
}

QVariant CSettingsStore::Value(std::string_view section, std::string_view name) const {
    return m_settings->value(Key(section, name));
}

std::optional<uint32_t> CSettingsStore::ReadNumber(std::string_view section,
                                                   std::string_view name) const {
    return AsNumber(Value(section, name));
}

std::optional<std::string> CSettingsStore::ReadText(std::string_view section,
                                                    std::string_view name) const {
    const QVariant value = Value(section, name);
    if (!value.isValid() || IsBytes(value))
        return std::nullopt;
    const QByteArray utf8 = AsText(value).toUtf8();
    std::string text;
    if (!Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), text))
        return std::nullopt;
    return text;
}

std::optional<std::vector<uint8_t>> CSettingsStore::ReadBytes(std::string_view section,
                                                              std::string_view name) const {
    const QVariant value = Value(section, name);
    if (!IsBytes(value))
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::optional<size_t> CSettingsStore::StoredSize(std::string_view section,
                                                 std::string_view name) const {
    const QVariant value = Value(section, name);
    if (!value.isValid())
        return std::nullopt;
    if (IsBytes(value))
        return static_cast<size_t>(value.toByteArray().size());
    if (AsNumber(value))
        return sizeof(uint32_t);
    if (std::optional<std::string> text = ReadText(section, name))
        return text->size() + 1;
    return static_cast<size_t>(AsText(value).toUtf8().size()) + 1;
}

void CSettingsStore::SetValue(std::string_view section, std::string_view name,
                              const QVariant& value) {
    m_settings->setValue(Key(section, name), value);
    // At once, as the registry would; a failure is not reported.
    Sync();
}

void CSettingsStore::Sync() {
    const std::string file = QFileInfo(m_settings->fileName()).absoluteFilePath().toStdString();
    const std::string folder = QFileInfo(m_settings->fileName()).absolutePath().toStdString();
    // QSettings writes through a link at the file's name and makes missing folders with the
    // umask's modes: the folders are made here first, private, and a link that is not the user's
    // own way to a file of the user's own is removed, so that a new file takes its place.
    CreatePrivateFolders(folder);
    struct stat st {};
    if (::lstat(file.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && OwnLinkTarget(file) == file)
        ::unlink(file.c_str());
    m_settings->sync();
    MakeFolderPrivate(folder);
    MakeFilePrivate(OwnLinkTarget(file));
}

void CSettingsStore::WriteNumber(std::string_view section, std::string_view name, uint32_t value) {
    SetValue(section, name, QVariant(static_cast<uint>(value)));
}

void CSettingsStore::WriteText(std::string_view section, std::string_view name,
                               std::string_view value) {
    SetValue(section, name, FromCp1252(value));
}

void CSettingsStore::WriteBytes(std::string_view section, std::string_view name,
                                std::span<const uint8_t> value) {
    SetValue(section, name,
             QByteArray(reinterpret_cast<const char*>(value.data()),
                        static_cast<qsizetype>(value.size())));
}

}  // namespace tessarin
