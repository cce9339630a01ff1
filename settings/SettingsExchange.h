// How the settings travel between the main dialog's controls and the record,
// and the order radio buttons, which stand outside that exchange.
#pragma once

#include "platform/DataExchange.h"
#include "settings/LauncherSettings.h"

// The four exchange steps, in order: "Use EOTBIR:", "Pre-Warp", the cycle
// time text and its range check (save direction only). A failing step ends
// the exchange; members written before it keep their new values.
void ExchangeSettings(CDataExchange* pDX, LauncherSettings& s);

// Checks "Name" when the order flag is nonzero and "Random" when it is 0,
// clearing the other. Only the buttons change: the flag keeps its value.
void RefreshOrderButtons(CWnd& dialog, std::int32_t orderByName);

// Checking a radio button gives it a tab stop (Windows and Wine alike). The
// order buttons are kept out of the tab order, which runs Exit, Run,
// "Use EOTBIR:", the cycle time and back; they are reached by the mouse.
void KeepOrderButtonsOutOfTabOrder(CWnd& dialog);
