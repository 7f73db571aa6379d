#pragma once

#include <QTableView>
#include <array>
#include <functional>

#include "ui/cell_text.h"

// The point list: grid lines, whole-row extended selection, fixed row heights (no per-row size
// work however many rows arrive), no row header. Delete and Ctrl+C become commands.
class PointListView : public QTableView {
    Q_OBJECT
public:
    explicit PointListView(QWidget* parent);

    // Row under a screen position, -1 on empty space.
    int RowAtGlobal(const QPoint& globalPos) const;
    // Index of the first visible row (0 when there are none) and how many rows fit fully.
    int FirstVisibleRow() const;
    int RowsPerPage() const;
    // Rows at least partly in sight: a row cut at the bottom counts.
    int RowsInSight() const;
    // Width available to the columns: inside the frame, less a vertical scroll bar.
    int ClientWidth() const;

    // Column widths set by the window's rule; once the user drags a column, the rule stops.
    void SetColumnWidths(const std::array<int, kColumnCount>& widths);
    bool UserSizedColumns() const { return userSizedColumns; }
    // Widths the user had dragged in an earlier run: they stay as the window is resized.
    void RestoreColumnWidths(const std::array<int, kColumnCount>& widths) {
        SetColumnWidths(widths);
        userSizedColumns = true;
    }

    // Runs `change`, which resets the model, and keeps the selected rows and the current row on
    // their points where they are still shown.
    void KeepSelectionAcross(const std::function<void()>& change);

signals:
    void DeletePressed();
    void CopyPressed();
    void EnterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void OnHeaderClicked(int section);

    bool settingWidths = false;
    bool userSizedColumns = false;
};
