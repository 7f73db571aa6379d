#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "ui/detail_rows.h"

class QPushButton;
class QTableWidget;

// The details of one point, non-modal: it opens at once saying it is reading and fills in when
// the window's session has read them. Any line, or all of them, can be copied.
class PointDetailsDlg : public QDialog {
    Q_OBJECT
public:
    // `title` names the point; `path` is known without asking the server.
    PointDetailsDlg(QWidget* parent, const std::string& title, std::string path);

    void ShowDetails(const PointDetails& details);
    // The lines shown, label and text, as the clipboard gets them.
    const std::vector<DetailRow>& Rows() const { return rows; }
    // Puts the selected lines (all when none is selected) on the clipboard.
    void CopySelected() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();

    std::string path;
    std::vector<DetailRow> rows;
    QTableWidget* table = nullptr;
    QPushButton* copyButton = nullptr;
};
