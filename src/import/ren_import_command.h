// The import command (138) of an open database: the save-before-leaving step first (the memo
// shown would otherwise be lost when the last memo is shown), then a file dialog for a .ren file
// that must exist, the import dialog on the open store, and the last memo shown.
#pragma once

class CQuirelDoc;
class RenImportWindow;
class UserPrompts;

// False when nothing was run: no database open, the memo kept, or no file chosen.
bool RunRenImportCommand(CQuirelDoc& doc, UserPrompts& prompts, RenImportWindow& window);
