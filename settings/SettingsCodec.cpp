// Field order of the settings file.
#include "settings/SettingsCodec.h"

void LoadSettingsFields(CArchive& ar, LauncherSettings& s) {
    ar >> s.m_bUseEotbir;
    ar >> s.m_bPreWarp;
    ar >> s.m_nCycleTime;
    ar >> s.m_bOrderByName;
}

void StoreSettingsFields(CArchive& ar, const LauncherSettings& s) {
    ar << s.m_bUseEotbir;
    ar << s.m_bPreWarp;
    ar << s.m_nCycleTime;
    ar << s.m_bOrderByName;
}
