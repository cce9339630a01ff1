// Copies one picture over the game's waiting picture.
#pragma once

class CFileCopier {
public:
    virtual ~CFileCopier() = default;

    // Copies `source` over `target` through ReplaceFileContents (whole where
    // the system allows it, in place otherwise) and returns true. What cannot
    // be done is skipped without a word, leaving the target as it was: a
    // source that is missing, held open or a folder; a target that another
    // program holds open exclusively, that is read-only or a folder, or whose
    // folder is missing. The framework's errors are thrown for a failed
    // length query, read, write or close (writes name the target), its memory
    // error for a picture too large to hold, and "Disk full" for a disk with
    // room for the picture neither beside the target nor in its place, which
    // is then left whole. Only a write that fails in place can leave the
    // target cut short.
    bool Copy(const char* source, const char* target);
};
