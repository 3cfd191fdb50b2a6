// game_music: the game's one piece of music at a time, changed by name ("snd\\1.s3m").
#pragma once

// Plays a piece by file name: stops and unloads the current one, loads the new file and starts
// it. Nothing happens when that piece is already the game's piece, or when sound is unavailable.
// With music switched off the piece is loaded and starts when music is switched on.
void Game_Music_Play(const char *name);
// Stops and unloads the game's piece.
void Game_Music_Stop();
