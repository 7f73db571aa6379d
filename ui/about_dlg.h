#pragma once

#include <QDialog>

// The about box: icon, version text, one line of notice and OK. Nothing else.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};
