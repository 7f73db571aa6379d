#include "ui/quorvane_app.h"

int main(int argc, char** argv) {
    CQuorvaneApp app(argc, argv);
    return app.Run();
}
