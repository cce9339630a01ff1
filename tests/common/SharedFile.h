// A file that belongs to another account, as in a game folder that several
// accounts share, and what the system reports of its owner and access.
#pragma once

#include <string>

// Under Wine: gives the file at `relativePath` (from the current folder) to
// another account (uid 65534) with mode 0666, through chmod and chown run as
// Unix programs. False where that cannot be done (not Wine, or neither root
// nor sudo without a password).
bool GiveToAnotherAccountWritableByAll(const std::string& relativePath);

// Under Wine: makes `newName` a second name of `existing` with the Unix ln,
// a symbolic link (whose text is `existing` as given, so relative to the
// link's folder) or a hard link. False where that cannot be done.
bool LinkThroughUnix(const std::string& existing, const std::string& newName, bool symbolic);

// Under Wine: removes the symbolic link `link` itself while the file it
// names is still there. (Wine's DeleteFileA removes the file a Unix link
// names, and leaves the link.)
bool RemoveLinkThroughUnix(const std::string& link);

// The file's owner and access list as text, or empty when it cannot be read.
std::string OwnerAndAccess(const std::string& path);
