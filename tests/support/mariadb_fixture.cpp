// The shared MariaDB server of a test run, as a CTest fixture: `mariadb_fixture start` runs a
// fresh server and writes its address to the state file; `mariadb_fixture stop` stops it.
#include "support/test_mariadb.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const QString folder = PrivateMariaDbFolder(QStringLiteral("shared"));
    if (argc == 2 && std::strcmp(argv[1], "stop") == 0) {
        TestMariaDbServer::StopFromState(folder);
        return 0;
    }
    if (argc != 2 || std::strcmp(argv[1], "start") != 0) {
        std::fprintf(stderr, "usage: mariadb_fixture start|stop\n");
        return 2;
    }
    TestMariaDbServer::StopFromState(folder); // a server left over by an interrupted run
    TestMariaDbServer server(folder);
    QString error;
    if (!server.Start(error) || !server.WriteState()) {
        std::fprintf(stderr, "mariadb_fixture: %s\n", qPrintable(error));
        return 1;
    }
    server.Release();
    std::printf("mariadb on 127.0.0.1:%u (pid %d)\n", server.Address().port, int(server.Pid()));
    return 0;
}
