// Quirel's entry point.
#include <QCoreApplication>

#include "platform/settings.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitSettingsIdentity();
    return 0;
}
