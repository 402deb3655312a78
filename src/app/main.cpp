#include "app/qtsingleapplication.h"
#include "app/startup.h"

int main(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv);
    return StartUp::run(app);
}
