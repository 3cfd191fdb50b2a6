// The display's 3D interface for the game: the OpenGL back end.
#include "app/app.h"

#include "gen/gen_wrap.h"
#include "kx/kx_dsp/kx_dsp.h"

int App_3D_Start()
{
    gen_wrap_install();
    return kx_dsp_3d_start();
}
