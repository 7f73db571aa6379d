#include "ui/server_box.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStringListModel>
#include <QStyle>

ServerBox::ServerBox(QLineEdit* urlBox)
    : QObject(urlBox),
      box(urlBox),
      model(new QStringListModel(this)),
      completer(new QCompleter(model, this)) {
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setFilterMode(Qt::MatchContains);
    completer->setMaxVisibleItems(20);
    box->setCompleter(completer);
    arrow = box->addAction(box->style()->standardIcon(QStyle::SP_ArrowDown),
                           QLineEdit::TrailingPosition);
    arrow->setObjectName(QStringLiteral("serverDropDown"));
    arrow->setVisible(false);
    connect(arrow, &QAction::triggered, this, &ServerBox::ShowAll);
    connect(completer, qOverload<const QString&>(&QCompleter::activated), this, &ServerBox::Chosen);
    QAbstractItemView* list = completer->popup();
    list->setObjectName(QStringLiteral("serverList"));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->installEventFilter(this);
    connect(list, &QWidget::customContextMenuRequested, this, &ServerBox::OpenMenu);
}

void ServerBox::SetServers(const QStringList& urls) {
    model->setStringList(urls);
    arrow->setVisible(!urls.isEmpty());
}

QStringList ServerBox::Servers() const { return model->stringList(); }

void ServerBox::ShowAll() {
    if (model->rowCount() == 0) return;
    completer->setCompletionPrefix(QString());
    completer->complete();
}

void ServerBox::ForgetRow(int row) {
    const QAbstractItemModel* shown = completer->completionModel();
    if (row < 0 || row >= shown->rowCount()) return;
    const QString url = shown->index(row, 0).data().toString();
    emit ForgetRequested(url);
}

bool ServerBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == completer->popup() && event->type() == QEvent::MouseButtonPress) {
        // The open list takes a press outside itself only to close; a press on a button of the
        // window (Connect) is meant for the button, so it gets it as well.
        const auto* press = static_cast<QMouseEvent*>(event);
        QWidget* list = completer->popup();
        const QPoint at = press->globalPosition().toPoint();
        auto* button = qobject_cast<QAbstractButton*>(QApplication::widgetAt(at));
        if (!list->rect().contains(list->mapFromGlobal(at)) && button != nullptr &&
            button->window() == box->window() && button->isEnabled()) {
            list->hide();
            button->click();
            return true;
        }
    }
    if (watched == completer->popup() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        const QModelIndex current = completer->popup()->currentIndex();
        if (current.isValid()) {
            ForgetRow(current.row());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ServerBox::OpenMenu(const QPoint& at) {
    QAbstractItemView* list = completer->popup();
    const QModelIndex index = list->indexAt(at);
    if (!index.isValid()) return;
    QMenu menu(list);
    QAction* forget = menu.addAction(forgetText);
    if (menu.exec(list->viewport()->mapToGlobal(at)) == forget) ForgetRow(index.row());
}
