// Wildcard matching of file names.
#include "platform/NameMatch.h"

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

bool NameMatchesWildcard(std::string_view name, std::string_view wildcard) {
    if (wildcard == "*.*")
        wildcard = "*";
    // Greedy matching with one backtrack point, the last '*' seen: linear in
    // practice, and never recursive, whatever the name.
    std::size_t n = 0, w = 0;
    std::size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (w < wildcard.size() && wildcard[w] == '*') {
            starAt = w++;
            resumeAt = n;
        } else if (w < wildcard.size() && (wildcard[w] == '?' || FoldAscii(wildcard[w]) == FoldAscii(name[n]))) {
            ++w;
            ++n;
        } else if (starAt != std::string_view::npos) {
            w = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (w < wildcard.size() && wildcard[w] == '*')
        ++w;
    return w == wildcard.size();
}
