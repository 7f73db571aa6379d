#pragma once

#include <QApplication>

// The application: runs the main window modally and ends when it closes.
class CQuorvaneApp : public QApplication {
    Q_OBJECT
public:
    CQuorvaneApp(int& argc, char** argv);
    // Shows the main window until the user closes it; the process's exit code.
    int Run();
};
