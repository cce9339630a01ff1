// The settings file's load and save sequences.
#include "settings/SettingsFile.h"

#include "platform/Archive.h"
#include "platform/File.h"
#include "platform/ReplacingFile.h"
#include "settings/SettingsCodec.h"

void LoadSettingsFile(CObject& record) {
    CFile file;
    if (!file.Open(kSettingsFileName, CFile::modeRead | CFile::shareExclusive))
        return;
    CArchive ar(file, CArchive::load);
    record.Serialize(ar);
    ar.Close();
    file.Close();
}

void SaveSettingsFile(CObject& record) {
    // The settings exist nowhere else, so they reach the disk before the
    // name points at them.
    CReplacingFile file(kSettingsFileName, Durability::flushBeforeReplace);
    CArchive ar(file, CArchive::store);
    record.Serialize(ar);
    ar.Close();
    if (!file.Commit())
        throw file.Failure();
}
