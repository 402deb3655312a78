#include "qtsingleapplication.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv);
    return StartUp::run(app);
}
