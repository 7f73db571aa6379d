#include "tests/ui/ui_test_support.h"

#include <QMenu>

#include "ui/point_list_view.h"
#include "ui/point_table_model.h"

std::string CellShown(const CQuorvaneDlg& window, int row, int column) {
    const auto* model = window.Model();
    return model->data(model->index(row, column), Qt::DisplayRole).toString().toStdString();
}

int RowOfNumeric(const CQuorvaneDlg& window, UA_UInt16 plantNamespace, UA_UInt32 id) {
    for (std::size_t i = 0; i < window.Rows().size(); ++i) {
        const UA_NodeId& n = window.Rows()[i]->nodeId;
        if (n.identifierType == UA_NODEIDTYPE_NUMERIC && n.identifier.numeric == id &&
            n.namespaceIndex == plantNamespace)
            return static_cast<int>(i);
    }
    return -1;
}

PointListView& ListView(CQuorvaneDlg& window) { return *Find<PointListView>(window, "pointList"); }

QPoint RowCentre(CQuorvaneDlg& window, int row) {
    PointListView& view = ListView(window);
    const QModelIndex cell = view.model()->index(row, 1);
    view.scrollTo(cell);
    return view.viewport()->mapToGlobal(view.visualRect(cell).center());
}

void ChooseFromMenu(CQuorvaneDlg& window, const QPoint& at, int position) {
    window.Menu().menuRunner = [position](QMenu& menu, const QPoint&) -> QAction* {
        return position < 0 ? nullptr : menu.actions().at(position);
    };
    window.Menu().OpenContextMenu(at);
}
