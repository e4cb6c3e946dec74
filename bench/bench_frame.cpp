// The play screen's drawing: the worst-case frame against the same drawing calls made
// straight from a list, and the near layer against its two masked copies, each against a
// plain frame memcpy.
#include "bench_support.h"

#include "frame/entries.h"
#include "frame/state.h"
#include "play/play.h"

#include <cstdint>
#include <cstring>
#include <vector>

// The worst case: the busy moment of play, with both layers part-way through a wrap (two
// copies each), the shield up, and 20 more enemy records exploding on top of the 200 enemies,
// half of them at a fading (lit) stage. The records go past a level's 200 so that the
// explosions come on top of a full screen of enemies: the arrays have room for them.
static const double FAR_OFFSET = 100.5;
static const double NEAR_OFFSET = 50.3;
static const int SHIELD_TICKS_LEFT = 50;
static const int SHIELD_OFFSET = 8;
static const int WORST_EXPLOSIONS = 20;
static const int FIRST_PLAIN_STAGE = 16; // timers 16 and up draw a plain explosion picture
static const int FIRST_LIT_STAGE = 1;    // timers 1 to 15 draw a lit one
static const int SHIELD_OPACITY = 75;
static const int WHITE = 255;

static void set_up_worst_frame()
{
    set_up_busy_play();
    far_scroll = FAR_OFFSET;
    near_scroll = NEAR_OFFSET;
    shield_on = 1;
    shield_timer = SHIELD_TICKS_LEFT;
    for (int k = 0; k < WORST_EXPLOSIONS; k++) {
        int i = BUSY_ENEMIES + k;
        place_enemy(i);
        enemies[i].active = 0;
        enemies[i].done = 1;
        explosion_timer[i] = k < WORST_EXPLOSIONS / 2 ? FIRST_PLAIN_STAGE + k
                                                      : FIRST_LIT_STAGE + k - WORST_EXPLOSIONS / 2;
    }
    enemy_count = BUSY_ENEMIES + WORST_EXPLOSIONS;
}

// The reference frame: the calls draw_frame makes for the scene above, worked out in
// advance, so that drawing it is Allegro's work alone.
// Like play, it draws the near layer and the 16x16 sprites from runs of their opaque pixels.
enum CallKind { PLAIN_SPRITE, RUN_SPRITE, LIT_SPRITE, TRANSLUCENT_SPRITE };
struct DrawCall {
    CallKind kind;
    BITMAP *picture;
    RLE_SPRITE *runs;
    int x, y, light;
};
struct ReferenceFrame {
    int far_top, far_source, near_top, near_source; // rows of the two copies of each layer
    RLE_SPRITE *near_runs;
    std::vector<RLE_SPRITE *> sprite_runs;          // one per sprites entry
    std::vector<DrawCall> calls;
};

static ReferenceFrame plan_reference_frame(DATAFILE *sprites, BITMAP *near)
{
    ReferenceFrame frame;
    frame.near_runs = get_rle_sprite(near);
    for (int entry = 0; entry < SPRITES_COUNT; entry++)
        frame.sprite_runs.push_back(get_rle_sprite(picture(sprites, entry)));
    frame.far_top = static_cast<int>(far_scroll);
    frame.far_source = static_cast<int>(SCREEN_HEIGHT - far_scroll);
    frame.near_top = static_cast<int>(near_scroll);
    frame.near_source = static_cast<int>(SCREEN_HEIGHT - near_scroll);
    auto add = [&](CallKind kind, int entry, int x, int y, int light = 0) {
        frame.calls.push_back({kind, picture(sprites, entry), frame.sprite_runs[entry], x, y, light});
    };
    int x = static_cast<int>(player_x), y = static_cast<int>(player_y);
    add(RUN_SPRITE, SPR_SHIP, x, y);
    add(TRANSLUCENT_SPRITE, shield_timer % 2 == 0 ? SPR_SHIELD_EVEN : SPR_SHIELD_ODD, x - SHIELD_OFFSET, y - SHIELD_OFFSET);
    for (int i = 0; i < max_bullets; i++)
        add(PLAIN_SPRITE, SPR_BULLET, bullets[i].x, static_cast<int>(bullets[i].y));
    for (const Shot &shot : enemy_shots)
        add(PLAIN_SPRITE, SPR_ENEMY_SHOT, shot.x, static_cast<int>(shot.y));
    for (int i = 0; i < enemy_count; i++) {
        const Enemy &enemy = enemies[i];
        int ex = static_cast<int>(enemy.x), ey = static_cast<int>(enemy.y);
        if (enemy.active == 1) {
            add(RUN_SPRITE, enemy.sprite, ex, ey);
            continue;
        }
        if (explosion_timer[i] <= 0)
            continue;
        ExplosionStage stage = explosion_stage(explosion_timer[i]);
        add(stage.light < 0 ? RUN_SPRITE : LIT_SPRITE, stage.sprite, ex, ey + stage.sink,
            stage.light);
    }
    return frame;
}

static void draw_reference_frame(const ReferenceFrame &frame, BITMAP *buffer, BITMAP *far)
{
    clear_bitmap(buffer);
    blit(far, buffer, 0, 0, 0, frame.far_top, SCREEN_WIDTH, SCREEN_HEIGHT);
    blit(far, buffer, 0, frame.far_source, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    draw_rle_sprite(buffer, frame.near_runs, 0, frame.near_top);
    draw_rle_sprite(buffer, frame.near_runs, 0, -frame.near_source);
    for (const DrawCall &call : frame.calls) {
        switch (call.kind) {
        case PLAIN_SPRITE:
            draw_sprite(buffer, call.picture, call.x, call.y);
            break;
        case RUN_SPRITE:
            draw_rle_sprite(buffer, call.runs, call.x, call.y);
            break;
        case LIT_SPRITE:
            draw_lit_sprite(buffer, call.picture, call.x, call.y, call.light);
            break;
        case TRANSLUCENT_SPRITE:
            set_trans_blender(WHITE, WHITE, WHITE, SHIELD_OPACITY);
            draw_trans_sprite(buffer, call.picture, call.x, call.y);
            break;
        }
    }
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

static bool same_pixels(BITMAP *a, BITMAP *b)
{
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        if (std::memcmp(a->line[y], b->line[y], SCREEN_WIDTH * sizeof(uint16_t)) != 0)
            return false;
    return true;
}

static void BM_DrawFrameWorstCase(benchmark::State &state)
{
    const BenchData &data = bench_data();
    BITMAP *far = picture(data.backgrounds, BG_FAR_LAYER);
    BITMAP *near = picture(data.backgrounds, BG_NEAR_LAYER);
    BITMAP *buffer = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    BITMAP *game_picture = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    set_up_worst_frame();
    prepare_play_pictures(data.sprites, near);
    ReferenceFrame reference = plan_reference_frame(data.sprites, near);
    // The shield's timer stays above 0, so drawing changes nothing in the game state.
    auto draw_game_frame = [&] {
        draw_frame(static_cast<int>(player_x), static_cast<int>(player_y), buffer, far, near,
                   data.sprites, data.sounds);
    };
    // The reference is a fair floor only if it puts the very same picture on the screen.
    draw_game_frame();
    blit(screen, game_picture, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    draw_reference_frame(reference, buffer, far);
    if (!same_pixels(screen, game_picture))
        state.SkipWithError("the reference frame does not draw what draw_frame draws");
    destroy_bitmap(game_picture);
    SideBySide timing(state);
    for (auto _ : state) {
        timing.subject(draw_game_frame);
        timing.reference("reference_frame", [&] { draw_reference_frame(reference, buffer, far); });
        timing.reference("memcpy", copy_one_frame);
    }
    timing.report();
    state.counters["draw_calls"] = static_cast<double>(reference.calls.size());
    destroy_rle_sprite(reference.near_runs);
    for (RLE_SPRITE *runs : reference.sprite_runs)
        destroy_rle_sprite(runs);
    release_play_pictures();
    destroy_bitmap(buffer);
}
BENCHMARK(BM_DrawFrameWorstCase)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The near layer as play draws it, from its opaque runs, at a fractional offset (two
// copies), against the two masked copies it replaces, which test every pixel.
static void BM_NearLayer(benchmark::State &state)
{
    BITMAP *near = picture(bench_data().backgrounds, BG_NEAR_LAYER);
    BITMAP *buffer = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    clear_bitmap(buffer);
    near_scroll = NEAR_OFFSET;
    int top = static_cast<int>(near_scroll);
    int source = static_cast<int>(SCREEN_HEIGHT - near_scroll);
    prepare_play_pictures(bench_data().sprites, near);
    SideBySide timing(state);
    for (auto _ : state) {
        timing.subject([&] { draw_near_layer(buffer, near); });
        timing.reference("masked_copies", [&] {
            masked_blit(near, buffer, 0, 0, 0, top, SCREEN_WIDTH, SCREEN_HEIGHT);
            masked_blit(near, buffer, 0, source, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
        });
        timing.reference("memcpy", copy_one_frame);
    }
    timing.report();
    release_play_pictures();
    destroy_bitmap(buffer);
}
BENCHMARK(BM_NearLayer)->UseManualTime()->Unit(benchmark::kMicrosecond);
