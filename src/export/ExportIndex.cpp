#include "export/ExportIndex.h"

#include "export/HtmlText.h"
#include "export/RelativeLink.h"
#include "platform/PathText.h"

namespace orvelle {

namespace {

constexpr std::string_view kBareHead =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Export</title>\n</head>\n"
    "<body>\n";
constexpr std::string_view kBareTail = "</body>\n</html>\n";

void fact(std::string& out, std::string_view label, std::string_view value) {
    out += "<tr><th>";
    out += label;
    out += "</th><td>";
    out += htmlEscape(value);
    out += "</td></tr>\r\n";
}

std::string anchorOf(const IndexCategory& category) {
    for (const CategoryInfo& info : kCategories)
        if (info.kind == category.kind && info.kind != ItemKind::None) return "cat-" + std::string(info.cliName);
    return "cat-other";
}

void linkList(std::string& out, const IndexCategory& category, const std::filesystem::path& root) {
    bool first = true;
    for (const IndexLink& link : category.links) {
        if (!first) out += "<br>";
        first = false;
        out += "<a href=\"";
        out += htmlEscape(relativeLink(root, link.target));
        out += "\">";
        out += htmlEscape(link.label);
        out += "</a>";
    }
}

void mediaSection(std::string& out, const IndexCategory& category, const std::filesystem::path& root) {
    if (category.media.empty()) return;
    out += "<section class=\"media\" id=\"media-";
    out += anchorOf(category).substr(4);
    out += "\">\r\n<h2>";
    out += htmlEscape(category.label);
    out += "</h2>\r\n<div class=\"thumbs\">\r\n";
    for (const ExportedFile& file : category.media) {
        const std::string link = htmlEscape(relativeLink(root, file.written));
        const std::string name = htmlEscape(platform::pathText(file.written.filename()));
        out += "<a class=\"thumb\" href=\"" + link + "\" title=\"" + name + "\">";
        if (isBrowserPicture(name))
            out += "<img src=\"" + link + "\" alt=\"" + name + "\" loading=\"lazy\">";
        else
            out += "<span class=\"file\">" + name + "</span>";
        out += "</a>\r\n";
    }
    out += "</div>\r\n</section>\r\n";
}

} // namespace

std::string exportIndexHtml(const ExportIndex& index, const std::filesystem::path& root,
                            const HtmlTemplate& page) {
    const bool bare = page.head.empty() && page.tail.empty();
    std::string out(bare ? kBareHead : std::string_view(page.head));

    out += "<table class=\"facts\">\r\n";
    fact(out, "Device", index.deviceName);
    fact(out, "Backup date", index.backupDate);
    fact(out, "Exported", index.exportedAt);
    out += "</table>\r\n";

    bool withStatus = false;
    for (const IndexCategory& category : index.categories)
        withStatus = withStatus || !category.status.empty();
    out += "<table class=\"categories\">\r\n<thead><tr><th>Category</th><th>Items</th><th>Deleted</th>";
    if (withStatus) out += "<th>Status</th>";
    out += "<th>Documents and folders</th></tr></thead>\r\n<tbody>\r\n";
    for (const IndexCategory& category : index.categories) {
        out += "<tr id=\"" + anchorOf(category) + "\"";
        if (category.deleted > 0) out += " class=\"has_deleted\"";
        out += "><td>";
        out += htmlEscape(category.label);
        out += "</td><td>" + std::to_string(category.items) + "</td><td>";
        out += category.records ? std::to_string(category.deleted) : std::string("&ndash;");
        out += "</td>";
        if (withStatus) out += "<td>" + htmlEscape(category.status) + "</td>";
        out += "<td>";
        linkList(out, category, root);
        out += "</td></tr>\r\n";
    }
    out += "</tbody>\r\n</table>\r\n";

    for (const IndexCategory& category : index.categories)
        mediaSection(out, category, root);

    out += bare ? kBareTail : std::string_view(page.tail);
    return out;
}

} // namespace orvelle
