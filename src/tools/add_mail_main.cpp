// quirel-db-add-mail: the `add-mail` command of quirel-db, which runs this program in its own
// place (same arguments, the first being "add-mail"). Apart, so that only this command loads the
// mail readers' libraries.
#include "platform/settings.h"
#include "tools/add_mail_command.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitSettingsIdentity();
    return AddMailCommand(app.arguments().mid(1));
}
