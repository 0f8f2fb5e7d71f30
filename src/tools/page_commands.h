// quirel-db's list page commands: `page` writes the exact page the list window would show
// (the title list from a position, or the search page), `search` lists the memos a search
// finds. Both go through the program's page writers.
#pragma once

#include <QStringList>

// True when `arguments` (the whole command line) run one of these commands.
bool IsPageCommand(const QStringList& arguments);
// Runs it; the exit code.
int RunPageCommand(const QStringList& arguments);
