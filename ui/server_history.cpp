#include "ui/server_history.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <iterator>

#include "engine/option_rules.h"

namespace {

template <std::size_t N>
bool OneOfOrEmpty(const char* const (&names)[N], const std::string& value) {
    return value.empty() || std::any_of(std::begin(names), std::end(names),
                                        [&](const char* n) { return value == n; });
}

std::string Str(const QSettings& s, const char* key) {
    return s.value(QLatin1String(key)).toString().toStdString();
}

std::optional<ConnectionSettings> ReadServer(const QSettings& s) {
    ConnectionSettings c;
    c.url = Str(s, "url");
    bool ok = false;
    c.authKind = s.value(QStringLiteral("signIn")).toInt(&ok);
    if (!ok) return std::nullopt;
    c.timeoutSeconds = s.value(QStringLiteral("timeout")).toInt(&ok);
    if (!ok) return std::nullopt;
    c.securityPolicy = Str(s, "policy");
    c.securityMode = Str(s, "mode");
    c.userName = Str(s, "user");
    c.certificatePath = Str(s, "certificate");
    c.privateKeyPath = Str(s, "key");
    const bool valid = !c.url.empty() && c.authKind >= 1 && c.authKind <= 3 &&
                       c.timeoutSeconds >= kMinTimeoutSeconds &&
                       c.timeoutSeconds <= kMaxTimeoutSeconds &&
                       OneOfOrEmpty(kSecurityPolicies, c.securityPolicy) &&
                       OneOfOrEmpty(kSecurityModes, c.securityMode);
    if (!valid) return std::nullopt;
    // Entries from before the option existed keep the default.
    const int sampling = s.value(QStringLiteral("sampling"), c.samplingIntervalMs).toInt(&ok);
    if (ok && SamplingAcceptable(sampling)) c.samplingIntervalMs = sampling;
    return c;
}

void WriteServer(QSettings& s, const ConnectionSettings& c) {
    s.setValue(QStringLiteral("url"), QString::fromStdString(c.url));
    s.setValue(QStringLiteral("signIn"), c.authKind);
    s.setValue(QStringLiteral("timeout"), c.timeoutSeconds);
    s.setValue(QStringLiteral("sampling"), c.samplingIntervalMs);
    s.setValue(QStringLiteral("policy"), QString::fromStdString(c.securityPolicy));
    s.setValue(QStringLiteral("mode"), QString::fromStdString(c.securityMode));
    s.setValue(QStringLiteral("user"), QString::fromStdString(c.userName));
    s.setValue(QStringLiteral("certificate"), QString::fromStdString(c.certificatePath));
    s.setValue(QStringLiteral("key"), QString::fromStdString(c.privateKeyPath));
    // No password, ever: the entry is rebuilt field by field, never copied whole.
}

}  // namespace

QString ServerHistory::DefaultPath() {
    // Follows XDG_CONFIG_HOME, and ~/.config without it.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/quorvane/quorvane.conf");
}

ServerHistory::ServerHistory(QString settingsPath) : path(std::move(settingsPath)) { Load(); }

void ServerHistory::Load() {
    if (!QFileInfo::exists(path)) return;
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) return;  // damaged: start as a fresh installation
    const int count = s.beginReadArray(QStringLiteral("servers"));
    for (int i = 0; i < count && servers.size() < kMaxServers; ++i) {
        s.setArrayIndex(i);
        auto server = ReadServer(s);
        if (server && !Find(server->url)) servers.push_back(std::move(*server));
    }
    s.endArray();

    bool ok = false;
    const int lang = s.value(QStringLiteral("window/language")).toInt(&ok);
    if (ok && (lang == 0 || lang == 1)) window.language = lang;
    const QSize size = s.value(QStringLiteral("window/size")).toSize();
    if (size.isValid() && size.width() <= 20000 && size.height() <= 20000) window.size = size;
    keepScans = s.value(QStringLiteral("history/keepScans"), true).toBool();
    const QStringList widths = s.value(QStringLiteral("window/columns")).toStringList();
    // The first version had the columns up to DataType. An earlier version's columns keep their
    // widths, and a column added since gets as wide as an average saved column but ID.
    if (widths.size() >= kPathColumn) {
        std::array<int, kColumnCount> w{};
        const int saved = std::min<int>(static_cast<int>(widths.size()), kColumnCount);
        bool all = true;
        long long sum = 0;
        for (int i = 0; i < saved; ++i) {
            w[i] = widths[i].toInt(&ok);
            all = all && ok && w[i] >= 0 && w[i] <= 20000;
            if (i != kIdColumn) sum += w[i];
        }
        const int added = static_cast<int>(sum / (saved - 1));
        for (int i = saved; i < kColumnCount; ++i) w[i] = added;
        if (all) window.columnWidths = w;
    }
}

std::optional<ConnectionSettings> ServerHistory::Find(const std::string& url) const {
    const auto found = std::find_if(servers.begin(), servers.end(),
                                    [&](const ConnectionSettings& c) { return c.url == url; });
    if (found == servers.end()) return std::nullopt;
    return *found;
}

void ServerHistory::Remember(const ConnectionSettings& settings) {
    Forget(settings.url);
    ConnectionSettings kept = settings;
    kept.password.clear();
    kept.allowPlainPassword = false;  // asked again for each session
    kept.localeIds.clear();
    servers.insert(servers.begin(), std::move(kept));
    if (servers.size() > kMaxServers) servers.resize(kMaxServers);
    SaveServers();
}

void ServerHistory::Forget(const std::string& url) {
    const auto before = servers.size();
    std::erase_if(servers, [&](const ConnectionSettings& c) { return c.url == url; });
    if (servers.size() != before) SaveServers();
}

void ServerHistory::SaveServers() {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings s(path, QSettings::IniFormat);
    s.remove(QStringLiteral("servers"));
    s.beginWriteArray(QStringLiteral("servers"), static_cast<int>(servers.size()));
    for (std::size_t i = 0; i < servers.size(); ++i) {
        s.setArrayIndex(static_cast<int>(i));
        WriteServer(s, servers[i]);
    }
    s.endArray();
}

void ServerHistory::SaveWindow(int lang, QSize size,
                               const std::array<int, kColumnCount>& columnWidths) {
    window.language = lang;
    window.size = size;
    window.columnWidths = columnWidths;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings s(path, QSettings::IniFormat);
    s.setValue(QStringLiteral("window/language"), lang);
    s.setValue(QStringLiteral("window/size"), size);
    QStringList widths;
    for (int w : columnWidths) widths << QString::number(w);
    s.setValue(QStringLiteral("window/columns"), widths);
}

void ServerHistory::SetKeepScanHistory(bool keep) {
    keepScans = keep;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings s(path, QSettings::IniFormat);
    s.setValue(QStringLiteral("history/keepScans"), keep);
}
