#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class CTrendDlg;
class QWidget;
class ScanSession;
struct OPCUAItemData;
struct VisibleRow;

// The trend windows open over one session's rows: they get the rows' changes, lose the rows
// that go before those are freed, and keep their points read while the points are off screen.
class OpenTrends : public QObject {
    Q_OBJECT
public:
    OpenTrends(QWidget* window, ScanSession& session);
    ~OpenTrends() override;

    // A new trend of `records` (rows alive now), shown.
    CTrendDlg* Open(const std::vector<OPCUAItemData*>& records);
    // The rows the open trends follow, each once.
    std::vector<OPCUAItemData*> Records() const;
    // `visible` with the rows the open trends follow that it lacks: each read once.
    void AddTo(std::vector<VisibleRow>& visible) const;
    std::vector<CTrendDlg*> Windows() const;

private:
    void OnRowChanged(int row);
    void OnAboutToErase(int first, int last);
    void OnAboutToClear();

    QWidget* window;
    ScanSession& session;
    std::vector<QPointer<CTrendDlg>> trends;  // closed ones delete themselves
};
