// Game start.
#include "game/GameLaunch.h"

#include "game/GamePaths.h"
#include "platform/Process.h"

void LaunchGame() { StartProgram(kGameCommandLine); }
