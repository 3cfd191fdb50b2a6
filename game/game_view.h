// The view options: a higher camera that shows the whole play field from a steeper angle, and a
// shadow on the floor under each ball. Both are preferences of the settings file, off by default;
// with both off the picture is the game's usual one.
#pragma once

extern int view_high_camera;  // "HighCamera" preference
extern int view_ball_shadows; // "BallShadows" preference

// The two preferences from and to the settings file (a missing key keeps the current value).
void View_Preferences_Read(const char *settings);
void View_Preferences_Write(const char *settings);
// Creates the pool of ball shadows in the world just loaded, after the game's own pools.
void View_Pools_Make();
// Applied after the game has placed its camera: moves the camera up and back for the high view
// (blended with the camera moves as the normal camera is) with the horizon and depth to match,
// and places or parks the ball shadows.
void View_Place();
