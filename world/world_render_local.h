// Shared by the renderer's files only: the vertex queue and the current sink.
#pragma once

#include "world/world_render.h"

// The vertex queue ("cua"): scratch room for one clipped polygon.
extern WORLD_VERTEX *world_queue;
extern int world_queue_size;

// The sink geometry goes to (the OpenGL one unless a test or the benchmark set another).
const WORLD_SINK *world_sink();
