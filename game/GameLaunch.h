// Starting the game.
#pragma once

// Starts "Moo3.exe" by its bare name with the window shown, and keeps
// nothing: the launcher neither waits for nor watches the game. A game that
// cannot be found is not reported.
void LaunchGame();
