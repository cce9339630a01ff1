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
    CReplacingFile file(kSettingsFileName);
    CArchive ar(file, CArchive::store);
    record.Serialize(ar);
    ar.Close();
    file.Commit();
}
