#include "ui/discovery/discovery_table_model.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <algorithm>

#include "discovery/report/discovery_rows.h"
#include "discovery/security_findings.h"
#include "ui/qt_text.h"

namespace {

std::string PortOf(const std::string& url) {
    const auto colon = url.rfind(':');
    if (colon == std::string::npos || url.find(']', colon) != std::string::npos) return {};
    const auto end = url.find('/', colon);
    return url.substr(colon + 1, end == std::string::npos ? std::string::npos : end - colon - 1);
}

std::string SecuritySummary(const DiscoveredServer& s) {
    std::vector<std::string> pairs;
    for (const EndpointOffer& e : s.endpoints) {
        const std::string pair = PolicyNameOf(e.policyUri) + "/" + ModeNameOf(e.mode);
        if (std::find(pairs.begin(), pairs.end(), pair) == pairs.end()) pairs.push_back(pair);
    }
    std::string text;
    for (const std::string& p : pairs) text += (text.empty() ? "" : ", ") + p;
    return text;
}

QIcon SeverityIcon(Severity severity) {
    QStyle* style = QApplication::style();
    switch (severity) {
        case Severity::High:
            return style->standardIcon(QStyle::SP_MessageBoxCritical);
        case Severity::Medium:
            return style->standardIcon(QStyle::SP_MessageBoxWarning);
        case Severity::Low:
            break;
    }
    return style->standardIcon(QStyle::SP_MessageBoxInformation);
}

}  // namespace

DiscoveryTableModel::DiscoveryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int DiscoveryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(servers_.size() + others_.size());
}

int DiscoveryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DiscoveryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const QStringList names = Q(Text(TextKey::DiscoverColumns)).split(QLatin1Char('\t'));
    return section >= 0 && section < names.size() ? QVariant(names[section]) : QVariant();
}

QVariant DiscoveryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount() || index.column() < 0 ||
        index.column() >= ColumnCount)
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row < servers_.size()) return ServerData(servers_[row], index.column(), role);
    return OtherData(others_[row - servers_.size()], index.column(), role);
}

QVariant DiscoveryTableModel::ServerData(const DiscoveredServer& s, int column, int role) const {
    if (role == Qt::DecorationRole && column == Findings) {
        const auto worst = WorstSeverity(s.findings);
        return worst ? QVariant(SeverityIcon(*worst)) : QVariant();
    }
    if (role == Qt::ToolTipRole && column == Findings) {
        QStringList lines;
        for (const SecurityFinding& f : s.findings) lines << Q(FindingLine(f, language));
        return lines.join(QLatin1Char('\n'));
    }
    if (role != Qt::DisplayRole) return {};
    switch (column) {
        case Server:
            return Q(s.applicationName.empty() ? s.applicationUri : s.applicationName);
        case Address: {
            // Both, when the server names itself by something else than where it answered.
            const std::string found = HostOfUrl(s.foundAt);
            const std::string named = HostOfUrl(s.advertisedUrl);
            return Q(named.empty() || named == found ? found : found + " (" + named + ")");
        }
        case Port:
            return Q(PortOf(s.foundAt));
        case Endpoints:
            return static_cast<int>(s.endpoints.size());
        case Security:
            return Q(SecuritySummary(s));
        case Findings: {
            const auto worst = WorstSeverity(s.findings);
            return worst ? Q(SeverityText(*worst, language) + " (" +
                             std::to_string(s.findings.size()) + ")")
                         : QVariant(QString());
        }
        case Trust:
            return Q(TrustText(s, language));
        default:
            return {};
    }
}

QVariant DiscoveryTableModel::OtherData(const OtherPort& p, int column, int role) const {
    if (role == Qt::ForegroundRole)
        return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    if (role != Qt::DisplayRole) return {};
    switch (column) {
        case Server:
            return Q(Text(p.state == PortState::Silent ? TextKey::PortSilent : TextKey::NotOpcUa));
        case Address:
            return Q(p.address);
        case Port:
            return static_cast<int>(p.port);
        default:
            return {};
    }
}

void DiscoveryTableModel::Clear() {
    beginResetModel();
    servers_.clear();
    others_.clear();
    endResetModel();
}

void DiscoveryTableModel::Put(const DiscoveredServer& server) {
    const std::string key = ServerKey(server);
    const auto same = std::find_if(servers_.begin(), servers_.end(),
                                   [&](const DiscoveredServer& s) { return ServerKey(s) == key; });
    if (same != servers_.end()) {
        *same = server;
        const int row = static_cast<int>(same - servers_.begin());
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
        return;
    }
    const int row = static_cast<int>(servers_.size());
    beginInsertRows({}, row, row);
    servers_.push_back(server);
    endInsertRows();
}

void DiscoveryTableModel::AddOther(const OtherPort& port) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    others_.push_back(port);
    endInsertRows();
}

void DiscoveryTableModel::SetAll(std::vector<DiscoveredServer> servers,
                                 std::vector<OtherPort> others) {
    beginResetModel();
    servers_ = std::move(servers);
    others_ = std::move(others);
    endResetModel();
}

void DiscoveryTableModel::Retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

const DiscoveredServer* DiscoveryTableModel::ServerAt(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= servers_.size()) return nullptr;
    return &servers_[static_cast<std::size_t>(row)];
}
