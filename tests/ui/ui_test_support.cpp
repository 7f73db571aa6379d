#include "tests/ui/ui_test_support.h"

#include "ui/point_table_model.h"

std::string CellShown(const CQuorvaneDlg& window, int row, int column) {
    const auto* model = window.Model();
    return model->data(model->index(row, column), Qt::DisplayRole).toString().toStdString();
}
