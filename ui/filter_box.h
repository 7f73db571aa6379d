#pragma once

#include <QLineEdit>

// The filter box above the list: Escape empties it (and never reaches the window, which would
// otherwise take it as a request to close).
class FilterBox : public QLineEdit {
    Q_OBJECT
public:
    explicit FilterBox(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
