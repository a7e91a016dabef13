// orvelle files: the media files and attachments of one backup, found through
// its manifest and recognised by their content.

#include "backup/BackupStore.h"
#include "cli/BackupOpening.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "cli/TextTable.h"

#include <iostream>
#include <memory>
#include <optional>

namespace orvelle::cli {

namespace {

/// The lists `orvelle files` can show, in the order they are shown.
struct FileCategory {
    std::string_view cliName;
    std::string_view title;
};
constexpr FileCategory kFileCategories[] = {
    {"camera-roll", "Camera Roll"},
    {"photo-stream", "Photo Stream"},
    {"message-attachments", "Messages Attachments"},
    {"app-files", "App Files"},
    {"whatsapp-attachments", "WhatsApp Attachments"},
};

struct FilesOptions {
    BackupArguments backup;
    std::string category; ///< empty: all
    bool json = false;
};

/// One listed file, whatever record it came from.
struct FileRow {
    std::string name;
    std::uint32_t size = 0;
    std::optional<std::string> appName;
    std::string storedPath;
};

struct CollectedFiles {
    std::vector<std::pair<FileCategory, std::vector<FileRow>>> lists;
    Status status = kStatusOk;
};

template <typename Record> std::vector<FileRow> rowsOf(const std::vector<Record>& records) {
    std::vector<FileRow> rows;
    rows.reserve(records.size());
    for (const auto& r : records) {
        FileRow row{r.name, r.size, std::nullopt, r.storedPath};
        if constexpr (requires { r.appName; }) row.appName = r.appName;
        rows.push_back(std::move(row));
    }
    return rows;
}

bool wanted(const FilesOptions& options, std::string_view name) {
    return options.category.empty() || options.category == name;
}

CollectedFiles collect(BackupStore& store, const FilesOptions& options) {
    CollectedFiles out;
    std::vector<MediaFileRecord> cameraRoll, photoStream;
    std::vector<AttachmentRecord> attachments;
    std::vector<AppFileRecord> appFiles;
    if (wanted(options, "camera-roll") || wanted(options, "photo-stream"))
        out.status = store.scanCameraRoll(cameraRoll, photoStream);
    if (wanted(options, "message-attachments")) store.scanMessageAttachments(attachments);
    if (wanted(options, "app-files") || wanted(options, "whatsapp-attachments")) store.scanAppFiles(appFiles);
    for (const auto& category : kFileCategories) {
        if (!wanted(options, category.cliName)) continue;
        std::vector<FileRow> rows;
        if (category.cliName == "camera-roll") rows = rowsOf(cameraRoll);
        if (category.cliName == "photo-stream") rows = rowsOf(photoStream);
        if (category.cliName == "message-attachments") rows = rowsOf(attachments);
        if (category.cliName == "app-files") rows = rowsOf(appFiles);
        if (category.cliName == "whatsapp-attachments") rows = rowsOf(store.whatsAppAttachments());
        out.lists.emplace_back(category, std::move(rows));
    }
    return out;
}

void printJson(const OpenedBackup& opened, const CollectedFiles& files) {
    JsonWriter json(std::cout, true);
    json.beginObject().field("backup", opened.info.folder).field("manifestStatus", opened.manifestStatus);
    json.key("categories").beginObject();
    for (const auto& [category, rows] : files.lists) {
        json.key(category.cliName).beginObject().field("count", static_cast<std::uint64_t>(rows.size()));
        json.key("items").beginArray();
        for (const auto& row : rows) {
            json.beginObject().field("name", row.name).field("size", static_cast<std::uint64_t>(row.size));
            if (row.appName) json.field("appName", *row.appName);
            json.field("storedPath", row.storedPath).endObject();
        }
        json.endArray().endObject();
    }
    json.endObject().endObject();
    std::cout << '\n';
}

void printTables(const OpenedBackup& opened, const CollectedFiles& files) {
    bool first = true;
    for (const auto& [category, rows] : files.lists) {
        if (!first) std::cout << '\n';
        first = false;
        std::cout << category.title << " (" << rows.size() << ")\n";
        if (rows.empty()) continue;
        const bool withApp = category.cliName == "app-files";
        std::vector<std::string> header{"Name", "Size"};
        if (withApp) header.push_back("App");
        header.push_back("Stored file");
        TextTable table(header, {TextTable::Align::Left, TextTable::Align::Right});
        for (const auto& row : rows) {
            std::vector<std::string> cells{row.name, std::to_string(row.size)};
            if (withApp) cells.push_back(row.appName.value_or(""));
            cells.push_back(row.storedPath);
            table.addRow(std::move(cells));
        }
        table.print(std::cout, 2);
    }
}

void runFiles(const FilesOptions& options) {
    BackupStore store(commandStoreOptions());
    const OpenedBackup opened = openBackupForCommand("files", store, options.backup);
    const CollectedFiles files = collect(store, options);
    reportSkippedFiles("files", store);
    if (options.json)
        printJson(opened, files);
    else
        printTables(opened, files);
    if (opened.manifestStatus != kStatusOk) throw CLI::RuntimeError(kExitUnreadableCategory);
}

void setupFiles(CLI::App& app) {
    auto options = std::make_shared<FilesOptions>();
    CLI::App* cmd = app.add_subcommand("files", "List the photos, videos and attachments stored in a backup");
    addBackupArguments(*cmd, options->backup);
    std::vector<std::string> names;
    for (const auto& c : kFileCategories)
        names.emplace_back(c.cliName);
    cmd->add_option("--category", options->category, "Only this list")->check(CLI::IsMember(names));
    cmd->add_flag("--json", options->json, "Print a JSON object with one list per category");
    cmd->callback([options] { runFiles(*options); });
}

const CommandRegistrar registrar(20, setupFiles);

} // namespace

} // namespace orvelle::cli
