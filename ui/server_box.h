#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QCompleter;
class QLineEdit;
class QStringListModel;

// Turns the URL box into a drop-down of remembered servers: completion while typing, an arrow
// that shows them all, and "forget" from the list's context menu or with Delete.
class ServerBox : public QObject {
    Q_OBJECT
public:
    explicit ServerBox(QLineEdit* box);

    // Most recent first; the arrow shows only when there is something to show.
    void SetServers(const QStringList& urls);
    QStringList Servers() const;
    // Shows every remembered server below the box.
    void ShowAll();
    QCompleter* Completer() const { return completer; }
    // The caption of the forget entry, in the current language.
    void SetForgetText(const QString& text) { forgetText = text; }

    // Asks to forget the server in row `row` of the list shown; what Delete and the context
    // menu do.
    void ForgetRow(int row);

signals:
    void Chosen(const QString& url);
    void ForgetRequested(const QString& url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OpenMenu(const QPoint& at);

    QLineEdit* box;
    QStringListModel* model;
    QCompleter* completer;
    QAction* arrow;
    QString forgetText;
};
