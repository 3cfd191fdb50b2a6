// Fuzz target of the particle effects file: the parser, then every effect it accepted started
// and run for a few frames, so that hostile definitions meet the emitters too.
#include "world/particle.h"

#include <cstddef>
#include <cstdint>

namespace {

void ignore_error(const char *) {}

int fake_load(uint32_t *texture, const char *)
{
    *texture = 0;
    return 1;
}

void no_draw(uint32_t, float, float, float, float, float, float) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    particle_fx_error_hook_set(ignore_error);
    particle_fx_loader_set(fake_load);
    particle_fx_draw_set(no_draw);
    particle_random_seed(1);
    if (particle_fx_init_text("fuzz.txt", reinterpret_cast<const char *>(data), static_cast<long>(size))) {
        PARTICLE_POOL *pool = particle_fx_pool_create(16);
        for (int fx = 0; fx < particle_fx_count && fx < 4; fx++) particle_fx_start(pool, fx, 0.0f, 0.0f, fx);
        for (int frame = 0; frame < 20; frame++) particle_fx_pool_update(pool, 16.0f);
        particle_fx_pool_stop_tag(pool, 0);
        particle_fx_pool_free(pool);
    }
    particle_fx_deinit();
    return 0;
}
