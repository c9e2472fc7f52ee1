// icons: the custom icons of the database's handheld icon file, their bitmap families, and the
// bitmap chosen for a size written out as PNG pictures.
#include <charconv>
#include <filesystem>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>

#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/json_writer.h"
#include "render/custom_icons.h"
#include "resources/string_ids.h"
#include "store/file_io.h"
#include "store/icon_file.h"

namespace tessarin::cli {

namespace {

struct CSize {
    int width = 32;
    int height = 32;
};

// "WIDTHxHEIGHT", each 1 to 65535 (the widest a bitmap can be).
std::optional<CSize> ParseSize(const std::string& text) {
    const size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    auto number = [](const char* first, const char* last) -> std::optional<int> {
        int value = 0;
        const auto [end, error] = std::from_chars(first, last, value);
        if (first == last || error != std::errc() || end != last || value < 1 || value > 0xFFFF)
            return std::nullopt;
        return value;
    };
    const std::optional<int> width = number(text.data(), text.data() + x);
    const std::optional<int> height = number(text.data() + x + 1, text.data() + text.size());
    if (!width || !height)
        return std::nullopt;
    return CSize{*width, *height};
}

void WriteJson(CCliSession& session, const CIconList& icons) {
    CJsonWriter json;
    json.BeginArray();
    for (size_t i = 0; i < icons.Size(); ++i) {
        const CIconEntry& icon = *icons.IconAt(i);
        json.BeginObject();
        json.Key("resource_id");
        json.Number(icon.m_resourceId);
        json.Key("family");
        json.BeginArray();
        for (const CFamilyBitmap& bitmap :
             ListBitmapFamily(icon.m_bytes.data(), icon.m_bytes.size())) {
            json.BeginObject(true);
            json.Key("width");
            json.Number(bitmap.header.width);
            json.Key("height");
            json.Number(bitmap.header.height);
            json.Key("pixel_size");
            json.Number(bitmap.header.pixelSize);
            json.Key("version");
            json.Number(bitmap.header.version);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    session.Io().out << json.Text() << '\n';
}

void WriteList(CCliSession& session, const CIconList& icons) {
    if (icons.Size() == 0)
        session.Say(str::kCliNoCustomIcons);
    for (size_t i = 0; i < icons.Size(); ++i) {
        const CIconEntry& icon = *icons.IconAt(i);
        session.Say(str::kCliIconLine, {std::to_string(icon.m_resourceId)});
        for (const CFamilyBitmap& bitmap :
             ListBitmapFamily(icon.m_bytes.data(), icon.m_bytes.size()))
            session.Say(
                str::kCliIconBitmapLine,
                {std::to_string(bitmap.header.width), std::to_string(bitmap.header.height),
                 std::to_string(bitmap.header.pixelSize), std::to_string(bitmap.header.version)});
    }
}

// Writes the icon's bitmap chosen for the size; false after a message.
bool ExportIcon(CCliSession& session, const CIconEntry& icon, CSize size,
                const std::filesystem::path& folder) {
    const std::string id = std::to_string(icon.m_resourceId);
    const std::optional<CFamilyBitmap> chosen = ChooseBitmap(icon, size.width, size.height);
    const QImage picture = chosen ? CustomIconImage(icon, *chosen) : QImage();
    if (picture.isNull()) {
        session.Fail(str::kCliIconNotDecoded, {id});
        return false;
    }
    const std::string path = (folder / (id + ".png")).string();
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
        session.Fail(str::kCliPictureNotWritten, {FromTerminal(path)});
        return false;
    }
    // Written safely: a link planted at the picture's name is replaced, never written through.
    try {
        WriteFileSafely(
            path,
            [&](IByteSink& sink) { sink.Write(png.constData(), static_cast<size_t>(png.size())); },
            LinkAtPath::Replace);
    } catch (const CFileError&) {
        session.Fail(str::kCliPictureNotWritten, {FromTerminal(path)});
        return false;
    }
    return true;
}

class CIconsCommand : public ICommand {
public:
    std::string_view Name() const override { return "icons"; }
    int Summary() const override { return str::kCliSummaryIcons; }
    std::vector<COptionSpec> Options() const override {
        return {{"--size", "WxH", str::kCliOptionSize},
                {"--json", "", str::kCliOptionJson},
                {"--export", "DIR", str::kCliOptionExport}};
    }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        CSize size;
        if (args.Has("--size")) {
            const std::optional<CSize> parsed = ParseSize(args.Value("--size"));
            if (!parsed)
                return session.UsageError(str::kCliBadSize, {args.Value("--size")});
            size = *parsed;
        }
        CDatabaseObj database(session.Context());
        if (int code = session.OpenExisting(database))
            return code;

        std::filesystem::path folder = std::filesystem::path(session.DatabasePath()).parent_path();
        if (folder.empty())
            folder = ".";
        const std::string fileName = database.m_handheldName + ".pdb";  // Windows-1252, as shown
        CIconList icons;
        switch (icons.ReadIconFile(folder.string(), database.m_handheldName)) {
            case EIconFileResult::kRead:
                break;
            case EIconFileResult::kMissing:
                return session.Fail(str::kCliIconFileMissing, {fileName});
            case EIconFileResult::kInvalid:
                return session.Fail(str::kCliIconFileInvalid, {fileName});
            case EIconFileResult::kReadError:
                return session.Fail(str::kCliIconFileUnreadable, {fileName});
        }

        if (args.Has("--json"))
            WriteJson(session, icons);
        else
            WriteList(session, icons);

        if (!args.Has("--export"))
            return kExitOk;
        const std::filesystem::path exportFolder(args.Value("--export"));
        std::error_code error;
        CreatePrivateFolders(exportFolder.string());
        if (!std::filesystem::is_directory(exportFolder, error))
            return session.Fail(str::kCliFolderNotCreated, {args.Value("--export")});
        bool all = true;
        for (size_t i = 0; i < icons.Size(); ++i)
            all = ExportIcon(session, *icons.IconAt(i), size, exportFolder) && all;
        return all ? kExitOk : kExitFailure;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeIconsCommand() {
    return std::make_unique<CIconsCommand>();
}

}  // namespace tessarin::cli
