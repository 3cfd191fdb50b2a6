// Progression inside the step: the level-won and extra-life tests, the level skip, the camera
// moves and the camera that follows the paddle.
#pragma once

void Level_Won_Test();
void Extra_Life_Test();
void Level_Skip_Test();
// The level skip and the no-life-loss switch act only in a game that is neither replayed nor
// recorded: a replay must follow its recording step for step.
int Game_Shortcuts_Allowed();
void Camera_Moves_Step();
// Places the camera, the paddle, its shadow and the follower paddle, then applies the view
// options (the high camera, the ball shadows).
void Camera_Place();
// How dark the picture is while the camera moves pass under the floor: black there, fading in
// after it at the start of a life and out before it at the end of a level.
float Camera_Fade();
// The level music's number: ((cycle + level - 1) mod 7) + 1.
int Level_Music_Number(int level, int cycle);
