#include "kivintegration.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kivInit("1.0.0-5", "Contacts");
    return 0;
}
