#pragma once
/// The screenshot tool's registry: every file of this folder registers the
/// pictures of its windows; the tool runs each for every language and saves
/// PNG files as <out>/<language>/<name>.png.

#include "gui/support/GuiFixture.h"

#include <QString>

#include <filesystem>
#include <functional>

class QWidget;

namespace orvelle::gui::shots {

struct ShotContext {
    std::filesystem::path outFolder;             ///< <out>/<language>
    const test::DemoCatalogue* catalogue = nullptr; ///< the demo backups (recent, older, encrypted)
    QString language;                            ///< "English", "Chinese"
};

using ShotFunction = std::function<void(ShotContext&)>;

/// Registers `function` under `name` (static registration: one object per file).
struct ShotRegistrar {
    ShotRegistrar(const char* name, ShotFunction function);
};

/// Shows `widget` (at its current size), lets it lay out and paint, and
/// saves it as <outFolder>/<name>.png. Modal windows are shown non-modally.
void saveShot(const ShotContext& context, QWidget* widget, const QString& name);

/// Lets queued signals and timers run for `milliseconds`.
void settle(int milliseconds = 50);

} // namespace orvelle::gui::shots
