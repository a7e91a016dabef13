#pragma once
/// How the scan of one category ended, as the user is told it: found (its
/// database or files were read), missing (this backup does not hold its
/// database: many backups lack WhatsApp, and that is no fault), unreadable
/// (with the reason in words; rows that could be read are still shown), or
/// stopped by the user. A category that was not asked for is not scanned.

#include "core/Categories.h"
#include "core/Status.h"

#include <string>
#include <string_view>

namespace orvelle {

enum class CategoryState { notScanned, found, missing, unreadable, stopped };

struct CategoryOutcome {
    CategoryState state = CategoryState::notScanned;
    Status status = kStatusOk; ///< the scan operation's answer
    std::string reason;        ///< unreadable: what could not be read and why
};

/// The outcome of a category whose scan operation answered `status`.
CategoryOutcome categoryOutcome(ItemKind kind, Status status);

/// The outcome of a category read through the manifest when the manifest
/// could not be read (`manifestText` says why).
CategoryOutcome manifestUnreadable(std::string_view manifestText);

/// True for the categories whose files (or database) are found through the manifest.
bool readThroughManifest(ItemKind kind);

/// The file a category is read from, as the user knows it ("sms.db", "the manifest").
std::string_view categorySourceName(ItemKind kind);

/// The outcome as a reader of an export is told it: "found", "not in this
/// backup", "stopped", or "could not be read: <reason>".
std::string outcomeText(const CategoryOutcome& outcome);

/// "found", "missing", "unreadable", "stopped" or "not scanned".
std::string_view stateName(CategoryState state);

} // namespace orvelle
