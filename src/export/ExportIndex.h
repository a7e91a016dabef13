#pragma once
/// The index page at the root of every export ("index.html"): which device
/// and backup it came from, when it was exported, and per category the
/// counts of items and deleted items with links to the category's documents
/// and folders; copied pictures are shown as lazy-loaded thumbnails (the
/// copies themselves), other copies as links. Every link is relative, every
/// value escaped.

#include "core/Categories.h"
#include "export/ExportTemplates.h"
#include "export/ExportedFiles.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvelle {

/// A document or folder of a category.
struct IndexLink {
    std::string label;
    std::filesystem::path target;
};

struct IndexCategory {
    ItemKind kind = ItemKind::None;
    std::string label;
    std::uint32_t items = 0;
    std::uint32_t deleted = 0;
    bool records = false; ///< a database category, whose items can be deleted ones
    std::vector<IndexLink> links;
    std::vector<ExportedFile> media; ///< copies to show as thumbnails or links
    /// How the scan fared with the category ("found", "missing", "unreadable:
    /// reason"); shown in its own column when any category has one.
    std::string status;
};

struct ExportIndex {
    std::string deviceName;
    std::string backupDate;
    std::string exportedAt;
    std::vector<IndexCategory> categories;
};

/// The name of the index page.
constexpr std::string_view kIndexFile = "index.html";

/// The page for `index`, written at `root` (links are relative to it), on
/// `page` (its head and tail; a bare page when they are empty).
std::string exportIndexHtml(const ExportIndex& index, const std::filesystem::path& root,
                            const HtmlTemplate& page);

} // namespace orvelle
