#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "engine/endpoint_list.h"
#include "session/scan_session.h"

class QLabel;
class QPushButton;
class QTableWidget;

// The "get endpoints" button and the list of what the server offers, highest security level
// first. Asking runs on the scan session's thread; pressing the button again, hiding the dialog or
// destroying the widget cancels it.
class EndpointPicker : public QWidget {
    Q_OBJECT
public:
    // `source` gives the URL and timeout at the moment of asking.
    struct Target {
        std::string url;
        int timeoutSeconds;
    };
    EndpointPicker(std::function<Target()> source, ScanSession& session, QWidget* parent);
    ~EndpointPicker() override;

    void Ask();
    void Cancel();
    bool Asking() const { return asking; }
    const std::vector<EndpointInfo>& Endpoints() const { return endpoints; }
    // Policy indices the server offers in mode `modeIndex`.
    std::vector<int> PoliciesOffered(int modeIndex) const;
    void RefreshTexts();

signals:
    void Picked(const EndpointInfo& endpoint);
    // The listing ended: an empty text when it worked, else the failure text.
    void Finished(const QString& failure);

private:
    void OnListed(int id, const EndpointListing& listing);
    void Fill();

    std::function<Target()> source;
    ScanSession& session;
    QPushButton* button;
    QLabel* state;
    QTableWidget* table;
    std::vector<EndpointInfo> endpoints;
    bool asking = false;
    int askId = 0;
    ScanSession::JobCancel cancel;
};
