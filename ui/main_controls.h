#pragma once

class FilterBox;
class PointListView;
class QAbstractItemModel;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class StatusLine;

// The main window's controls, children of the window.
struct MainControls {
    // Control ids of the main window's template.
    enum ControlId {
        kUrlBox = 1000,
        kConnectButton = 1001,
        kOptionButton = 1002,
        kPointList = 1004,
        kExportButton = 1006,
        kServerLabel = 1008,
        kStatusLine = 1009,
        kLanguageButton = 1023,
        kFilterBox = 1024,
    };

    QLabel* serverLabel = nullptr;
    QLineEdit* urlBox = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* optionButton = nullptr;
    QPushButton* languageButton = nullptr;
    QLineEdit* filterBox = nullptr;
    PointListView* listView = nullptr;
    QPushButton* exportButton = nullptr;
    StatusLine* statusLine = nullptr;
};

// Makes the controls at their template places, the list showing `shown`, and gives the window
// its template size and the minimum size that keeps every control usable.
MainControls BuildMainControls(QDialog& window, QAbstractItemModel& shown);
// Follows a change of the window's size: the list and the status line grow, the buttons at the
// right stay at the edge, the filter box takes the room between.
void ApplyResizeRules(const QDialog& window, const MainControls& c);
