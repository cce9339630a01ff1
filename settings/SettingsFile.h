// Reading and writing "Quillmere.sav" in the current directory through the
// archive; the record's own Serialize decides what goes in and out.
#pragma once

#include "platform/Wnd.h"

// Opens the file for reading, exclusively. A file that cannot be opened, for
// any reason, is skipped without a word. A short file or a read error throws
// the framework's error; the file is closed and its contents never change.
void LoadSettingsFile(CObject& record);

// Replaces the file whole, through a temporary file beside it, or in place
// where the system refuses that (see ReplaceFileContents). The record's
// Serialize always runs, even when the file cannot be written; a failure to
// open it, or a disk too full for either way, is thrown afterwards, and the
// previous file is then unchanged.
void SaveSettingsFile(CObject& record);
