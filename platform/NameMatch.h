// Whether a file's own name matches a listing's wildcard. Windows matches a
// pattern against each entry's 8.3 short name as well as its long name, so
// "*.png" also lists "b.pngold" (short name "BPNGOL~1.PNG"); the listing
// keeps only the entries whose long name matches on its own.
#pragma once

#include <string_view>

// '*' matches any run of characters, '?' any one; "*.*" matches every name,
// as on Windows. Letters compare without regard to case (ASCII letters: the
// names come in the system code page, whose other letters Windows folds
// through its own tables, and no pattern of ours holds one).
bool NameMatchesWildcard(std::string_view name, std::string_view wildcard);
