#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "discovery/discovered_server.h"

// The found list: one row per server, then one per port that answered but is no OPC UA
// server (dimmed). Servers arrive one at a time and may be replaced by a fuller record.
class DiscoveryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Server, Address, Port, Endpoints, Security, Findings, Trust, ColumnCount };

    explicit DiscoveryTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Clear();
    // Adds `server`, or replaces the row with the same key.
    void Put(const DiscoveredServer& server);
    void AddOther(const OtherPort& port);
    // The finished list: findings and trust are known only now.
    void SetAll(std::vector<DiscoveredServer> servers, std::vector<OtherPort> others);
    void Retranslate();

    // The server of `row`; null for a port that is no OPC UA server.
    const DiscoveredServer* ServerAt(int row) const;
    const std::vector<DiscoveredServer>& Servers() const { return servers_; }
    const std::vector<OtherPort>& Others() const { return others_; }

private:
    QVariant ServerData(const DiscoveredServer& s, int column, int role) const;
    QVariant OtherData(const OtherPort& p, int column, int role) const;

    std::vector<DiscoveredServer> servers_;
    std::vector<OtherPort> others_;
};
