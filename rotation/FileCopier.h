// Copies one picture over the game's waiting picture, whole or not at all.
#pragma once

class CFileCopier {
public:
    virtual ~CFileCopier() = default;

    // Copies `source` over `target` and returns true. What cannot be done is
    // skipped without a word, leaving the target as it was: a source that is
    // missing, held open or a folder; a target that another program holds
    // open, that is read-only, or whose folder cannot take a new file. The
    // framework's errors are thrown for a failed length query, read, write
    // or close (writes name the target), and its memory error for a picture
    // too large to hold; nothing is written then either.
    bool Copy(const char* source, const char* target);
};
