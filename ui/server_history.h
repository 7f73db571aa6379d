#pragma once

#include <QSize>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/connection_settings.h"
#include "ui/cell_text.h"

// The servers connected to before, with their options, and how the window looked, kept between
// runs in one settings file. Never a password. Needs no window, so it is tested without one.
class ServerHistory {
public:
    static constexpr std::size_t kMaxServers = 20;

    // $XDG_CONFIG_HOME/quorvane/quorvane.conf (~/.config when unset).
    static QString DefaultPath();

    // Reads `path`; a missing, unreadable or damaged file gives an empty history, and entries
    // with values no dialog could have produced are left out.
    explicit ServerHistory(QString path = DefaultPath());

    // Most recent first.
    const std::vector<ConnectionSettings>& Servers() const { return servers; }
    std::optional<ConnectionSettings> Find(const std::string& url) const;

    // After a successful connect: first in the list, the oldest beyond the cap dropped; written
    // at once without the password.
    void Remember(const ConnectionSettings& settings);
    void Forget(const std::string& url);

    struct WindowState {
        std::optional<int> language;
        std::optional<QSize> size;
        std::optional<std::array<int, kColumnCount>> columnWidths;
    };
    const WindowState& Window() const { return window; }
    void SaveWindow(int language, QSize size, const std::array<int, kColumnCount>& columnWidths);

    // Whether the window records its scans in the scan history; on until turned off.
    bool KeepScanHistory() const { return keepScans; }
    void SetKeepScanHistory(bool keep);

private:
    void Load();
    void SaveServers();

    QString path;
    std::vector<ConnectionSettings> servers;
    WindowState window;
    bool keepScans = true;
};
