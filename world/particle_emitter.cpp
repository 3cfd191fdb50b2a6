// Particle emitters: the pool of emitter slots, starting an effect, creating particles, the
// movements, and advancing everything once per frame by the elapsed milliseconds.
#include "world/particle.h"
#include "world/particle_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double DEGREES = 3.1415 / 180.0;

// ---------------------------------------------------------------------------------------------
// Movements
// ---------------------------------------------------------------------------------------------

void move_init(PARTICLE_MOVE *m, int type, const PARTICLE_RANDOM *values)
{
    *m = PARTICLE_MOVE{};
    m->type = type;
    for (int i = 0; i < PARTICLE_MOVE_VALUES; i++) m->p[i] = static_cast<float>(particle_mov_get_num(&values[i]));
    const double th = m->p[0] * DEGREES;
    switch (type) {
    case 0:
    case 2:
    case 5:
        break;
    case 1: {
        // Speeds in thousandths of a position unit per ms, accelerations in 1/100000 per ms².
        double speed = m->p[1] / 1000.0, accel = m->p[2] / 100000.0;
        m->vx = static_cast<float>(std::cos(th) * speed);
        m->vy = static_cast<float>(std::sin(th) * speed);
        m->ax = static_cast<float>(m->p[3] / 100000.0 + std::cos(th) * accel);
        m->ay = static_cast<float>(m->p[4] / 100000.0 + std::sin(th) * accel);
        break;
    }
    case 3:
    case 4:
        m->vx = static_cast<float>(std::cos(th) * m->p[1] / 1000.0);
        m->vy = static_cast<float>(std::sin(th) * m->p[1] / 1000.0);
        break;
    default:
        particle_error("particle_init_mov: unknown type %i", type);
        break;
    }
}

void move_apply(PARTICLE_MOVE *m, float *x, float *y, float dt)
{
    switch (m->type) {
    case 0:
        break;
    case 1:
        *x += m->vx * dt;
        *y += m->vy * dt;
        m->vx += m->ax * dt;
        m->vy += m->ay * dt;
        break;
    case 2: {
        m->time += dt;
        double a = (m->p[2] + m->p[1] / 1000.0 * m->time) * DEGREES;
        float ox = static_cast<float>(m->p[0] * std::cos(a)), oy = static_cast<float>(m->p[0] * std::sin(a));
        *x += ox - m->ox;
        *y += oy - m->oy;
        m->ox = ox, m->oy = oy;
        break;
    }
    case 3: {
        m->time += dt;
        double th = m->p[0] * DEGREES;
        double wave = m->p[3] > 0.0f ? std::sin(2.0 * M_PI * m->time / m->p[3] + m->p[4] * DEGREES) : 0.0;
        float ox = static_cast<float>(-std::sin(th) * m->p[2] * wave), oy = static_cast<float>(std::cos(th) * m->p[2] * wave);
        *x += m->vx * dt + ox - m->ox;
        *y += m->vy * dt + oy - m->oy;
        m->ox = ox, m->oy = oy;
        break;
    }
    case 4: {
        *x += m->vx * dt;
        *y += m->vy * dt;
        float keep = 1.0f - m->p[2] / 1000.0f * dt;
        keep = keep < 0.0f ? 0.0f : keep;
        m->vx *= keep;
        m->vy *= keep;
        break;
    }
    case 5: {
        PARTICLE_RANDOM jx = {1, -static_cast<int32_t>(m->p[0]), static_cast<int32_t>(m->p[0])};
        PARTICLE_RANDOM jy = {1, -static_cast<int32_t>(m->p[1]), static_cast<int32_t>(m->p[1])};
        *x += static_cast<float>(particle_mov_get_num(&jx)) / 1000.0f * dt;
        *y += static_cast<float>(particle_mov_get_num(&jy)) / 1000.0f * dt;
        break;
    }
    default:
        particle_error("particle_apply_mov: unknown type %i", m->type);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Looks
// ---------------------------------------------------------------------------------------------

void look_init(PARTICLE_LOOK *look, const PARTICLE_RANDOM *v)
{
    auto get = [&](int i) { return static_cast<float>(particle_mov_get_num(&v[i])); };
    *look = PARTICLE_LOOK{};
    look->texture = get(0);
    look->width = get(1);
    look->height = get(2);
    if (look->height == -1.0f) look->height = look->width;
    look->alpha = get(3);
    look->angle = get(4);
    look->d_width = get(5) / 1000.0f;
    look->d_height = get(6) / 1000.0f;
    look->d_alpha = get(7) / 1000.0f;
    look->d_angle = get(8) / 1000.0f;
    look->visible_from = get(9);
    look->visible_until = get(10);
    look->frame = -1.0f;
}

// ---------------------------------------------------------------------------------------------
// Emitters
// ---------------------------------------------------------------------------------------------

void emitter_end(PARTICLE_EMITTER *e)
{
    if (e->particles) kx_mem_free(e->particles);
    *e = PARTICLE_EMITTER{};
}

// Starts definition `index` of effect `fx` at (x, y) in the first free slot. 1 or 0.
int emitter_start(PARTICLE_POOL *pool, int fx, int index, float x, float y, int tag)
{
    PARTICLE_EMITTER *e = nullptr;
    for (int i = 0; i < pool->count && !e; i++) {
        PARTICLE_EMITTER *slot = &pool->emitters[i];
        if (slot->live && slot->generation != particle_fx_generation) emitter_end(slot);
        if (!slot->live) e = slot;
    }
    if (!e) {
        particle_error("em_fx_init: cant create more emiters, increase that number when initing the particle system");
        return 0;
    }
    const PARTICLE_DEF *def = &particle_fx_table[fx].defs[index];
    if (def->max_particles <= 0) {
        particle_error("em_fx_init: max_particles=0 (maybe you defined more emiters than you actually used?)");
        return 0;
    }
    PARTICLE *slots = static_cast<PARTICLE *>(kx_mem_calloc(static_cast<size_t>(def->max_particles), sizeof(PARTICLE)));
    if (!slots) {
        particle_error("em_fx_init: not enough memory for %i particles", def->max_particles);
        return 0;
    }
    kx_mem_name(slots, "emiter particles");
    *e = PARTICLE_EMITTER{};
    e->live = 1;
    e->tag = tag;
    e->fx = fx;
    e->generation = particle_fx_generation;
    e->def = def;
    e->particles = slots;
    e->slots = def->max_particles;
    e->life = static_cast<float>(particle_mov_get_num(&def->life));
    e->x = static_cast<float>(particle_mov_get_num(&def->x)) + x;
    e->y = static_cast<float>(particle_mov_get_num(&def->y)) + y;
    e->start_moving = static_cast<float>(particle_mov_get_num(&def->start_moving));
    move_init(&e->move, def->move_type, def->move);
    look_init(&e->look, def->look);
    int creating = particle_mov_get_num(&def->start_creating);
    e->start_creating = creating == -1   ? e->look.visible_from
                        : creating == -2 ? e->look.visible_until
                        : creating == -3 ? e->start_moving
                                         : static_cast<float>(creating);
    return 1;
}

bool pool_has_free_slot(const PARTICLE_POOL *pool)
{
    for (int i = 0; i < pool->count; i++)
        if (!pool->emitters[i].live || pool->emitters[i].generation != particle_fx_generation) return true;
    return false;
}

// The emitter's create operation into slot p. 1, or 0 after an error or when a sub-emitter finds
// the pool full: effects already running keep going and the sub-emitter is tried again on a later
// frame, so a busy pool never ends the program mid-game.
int emitter_create(PARTICLE_POOL *pool, PARTICLE_EMITTER *e, PARTICLE *p)
{
    const PARTICLE_FX &fx = particle_fx_table[e->fx];
    int index = particle_mov_get_num(&e->def->creates);
    if (index < 0 || index >= fx.count) {
        particle_error("error when creating particle, type %i out of range", index);
        return 0;
    }
    const PARTICLE_DEF *def = &fx.defs[index];
    if (def->role == PARTICLE_ROLE_SUB)
        return pool_has_free_slot(pool) ? emitter_start(pool, e->fx, index, e->x, e->y, e->tag) : 0;
    p->live = 1;
    p->x = static_cast<float>(particle_mov_get_num(&def->x)) + e->x;
    p->y = static_cast<float>(particle_mov_get_num(&def->y)) + e->y;
    p->life = static_cast<float>(particle_mov_get_num(&def->life));
    p->age = 0.0f;
    move_init(&p->move, def->move_type, def->move);
    look_init(&p->look, def->look);
    e->live_particles++;
    if (e->live_particles > e->most_live) e->most_live = e->live_particles;
    return 1;
}

void emitter_step(PARTICLE_POOL *pool, PARTICLE_EMITTER *e, float dt)
{
    // 1. Creating: one particle per interval, or (interval below 1) until a limit is hit. A frame
    // never creates more than the emitter has slots, so sub-emitters (which leave their slot
    // empty) cannot keep it creating for ever.
    if (e->age >= e->start_creating) {
        e->create_timer -= dt;
        for (int made = 0; made < e->slots && e->create_timer < 1.0f && e->live_particles < e->slots &&
                           (e->def->total <= 0 || e->created < e->def->total);
             made++) {
            PARTICLE *free_slot = nullptr;
            for (int i = 0; i < e->slots && !free_slot; i++)
                if (!e->particles[i].live) free_slot = &e->particles[i];
            if (!free_slot) break;
            *free_slot = PARTICLE{};
            if (!emitter_create(pool, e, free_slot)) break;
            e->created++;
            e->create_timer = static_cast<float>(e->def->interval);
        }
    }
    // 2. The particles: drawn, advanced, moved; they die when their age reaches their life.
    for (int i = 0; i < e->slots; i++) {
        PARTICLE *p = &e->particles[i];
        if (!p->live) continue;
        particle_look_step(&p->look, p->x, p->y, dt);
        move_apply(&p->move, &p->x, &p->y, dt);
        if (p->age >= p->life) {
            p->live = 0;
            e->live_particles--;
            continue;
        }
        p->age += dt;
    }
    // 3. The emitter's own end.
    bool ends = false;
    if (e->life >= 0.0f)
        ends = e->age >= e->life;
    else if (e->life == PARTICLE_LIFE_UNTIL_DONE)
        ends = e->def->total > 0 && e->created >= e->def->total && e->live_particles == 0;
    if (ends) {
        emitter_end(e);
        return;
    }
    // 4. Its own look, and its movement once its time to move has come.
    particle_look_step(&e->look, e->x, e->y, dt);
    if (e->age >= e->start_moving) move_apply(&e->move, &e->x, &e->y, dt);
    e->age += dt;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

PARTICLE_POOL *particle_fx_pool_create(int count)
{
    if (count <= 0) return nullptr;
    auto *pool = static_cast<PARTICLE_POOL *>(kx_mem_calloc(1, sizeof(PARTICLE_POOL)));
    if (!pool) return nullptr;
    pool->emitters = static_cast<PARTICLE_EMITTER *>(kx_mem_calloc(static_cast<size_t>(count), sizeof(PARTICLE_EMITTER)));
    if (!pool->emitters) {
        kx_mem_free(pool);
        return nullptr;
    }
    kx_mem_name(pool, "particle pool");
    kx_mem_name(pool->emitters, "all emiters");
    pool->count = count;
    return pool;
}

void particle_fx_pool_free(PARTICLE_POOL *pool)
{
    if (!pool) return;
    for (int i = 0; i < pool->count; i++)
        if (pool->emitters[i].live) emitter_end(&pool->emitters[i]);
    kx_mem_free(pool->emitters);
    kx_mem_free(pool);
}

void particle_fx_pool_update(PARTICLE_POOL *pool, float dt)
{
    if (!pool || !particle_fx_loaded()) return;
    for (int i = 0; i < pool->count; i++) {
        PARTICLE_EMITTER *e = &pool->emitters[i];
        // Emitters of effects read before the last reading of the file have lost their definitions.
        if (e->live && e->generation != particle_fx_generation) emitter_end(e);
        if (e->live) emitter_step(pool, e, dt);
    }
}

void particle_fx_pool_stop_tag(PARTICLE_POOL *pool, int tag)
{
    if (!pool) return;
    for (int i = 0; i < pool->count; i++)
        if (pool->emitters[i].live && pool->emitters[i].tag == tag) emitter_end(&pool->emitters[i]);
}

int particle_fx_pool_live(const PARTICLE_POOL *pool)
{
    int n = 0;
    for (int i = 0; pool && i < pool->count; i++) n += pool->emitters[i].live ? 1 : 0;
    return n;
}

int particle_fx_start(PARTICLE_POOL *pool, int fx, float x, float y, int tag)
{
    if (!pool) {
        particle_error("particle_fx_start: particle system not inited");
        return 0;
    }
    if (!particle_fx_loaded()) {
        particle_error("particle_fx_start: particle_fx_init() has not been used yet");
        return 0;
    }
    if (fx < 0 || fx >= particle_fx_count) {
        particle_error("particle_fx_start: fx number %i is out of range", fx);
        return 0;
    }
    const PARTICLE_FX &effect = particle_fx_table[fx];
    if (!effect.defs || effect.count == 0) {
        particle_error("particle_fx_start: fx number %i is not defined or has no emiters", fx);
        return 0;
    }
    for (int i = 0; i < effect.count; i++)
        if (effect.defs[i].role == PARTICLE_ROLE_EMITTER && !emitter_start(pool, fx, i, x, y, tag)) return 0;
    return 1;
}
