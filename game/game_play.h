// The parts of one game step, shared between the game's files and its tests: paddle, balls,
// bricks, bonuses, shots, enemies and floating signs.
#pragma once

#include <cstdint>

struct WORLD_OBJECT;

// The world object behind a pool entry.
WORLD_OBJECT *Game_Object(int16_t number);
int Game_Object_Free(const WORLD_OBJECT *o);
// Parks an object at x = 9999.0 (and keeps the cell lists right).
void Game_Object_Park(int16_t number);
void Game_Object_Place(int16_t number, double x, double y, double z);
// Gives an object a sprite of the loaded world (fatal "Sprite %i is not defined" otherwise).
int Game_Object_Sprite(int16_t number, int sprite);
// Starts a particle effect at a point of the field, seen from the camera; dropped quietly when
// the point is behind the camera or the emitters are all busy.
void Game_Particles_At(int fx, double x, double y, double z);
void Game_Particles_Stop(int tag);
void Game_Particles_Stop_All();
// The level number as an index of the level tables.
int Game_Level_Index();
// Map cell index of a point of the field, -1 outside the map.
int Game_Cell_Index(double x, double z);

// Paddle and balls.
void Paddle_Step(uint8_t input);
void Follower_Step();
void Balls_Step();
void Balls_Speed_Up();
void Ball_Paddle_Bounce(WORLD_OBJECT *ball, const WORLD_OBJECT *pad, double pad_x, double pad_z);
int Brick_Probe(double x, double z, double dx, double dz, int damaging);
void Release_Balls();
// The steps until the last ball held on the paddle launches by itself (0: none is held).
int Balls_Held();
void Extra_Balls(int n);
// The paddle-and-ball part of a new life.
void Balls_New_Life();
// Gives every ball a sprite, keeping its speed and hold counter.
void Balls_Set_Sprite(int sprite);

// Bricks.
void Level_Build_Bricks();
int Brick_Hit(int cell, int damaging);
// The floor variant (0-6) of a floor cell from its left, lower-left and lower neighbours.
int Floor_Variant(int left, int lower_left, int lower);
void Floor_Variants_Update();

// Bonuses, shots, enemies, signs.
void Bonus_Drop(int cell);
void Bonuses_Step();
void Bonus_Catch(int16_t number);
void Bonuses_Clear();
void Shots_Fire(uint8_t input);
void Shots_Step();
void Shots_Clear();
void Shot_Place(int16_t number, int sprite, double x, double y, double z);
void Enemies_Step();
void Enemies_Park();
void Enemy_Explode(int16_t number);
void Enemies_Destroy_All();
void Sign_Start(int sprite);
void Signs_Step();
void Signs_Clear();
