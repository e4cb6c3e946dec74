// The pixel designs of the ship and the five enemies, shared by the sprites and the scenes.
// Enemies face down, towards the ship; the ship faces up.
#include "designs.h"

static const Rgb OUTLINE = {18, 20, 38};

// A dart that dives nose first: light, fast, green.
static const PixelMap SCOUT = {
    Symmetry::mirrored,
    {"DD.....D", "DGD...DL", "DGGD..DL", ".DGGD.DL", ".DGLGDDL", "..DGLGDL", "..DGGLGL",
     "...DGGLW", "...DDGLR", "..DGDGGR", ".DGGDDGL", ".DGD.DGG", "..D..DGG", ".....DDG",
     "......DG", ".......D"},
    {{'D', OUTLINE}, {'G', {40, 170, 60}}, {'L', {150, 240, 110}}, {'W', {230, 255, 210}},
     {'R', {255, 70, 50}}}};

// A flying disc under a glass dome, ringed with lights.
static const PixelMap SAUCER = {
    Symmetry::mirrored,
    {"......DD", ".....DCW", "....DCCW", "...DCCCW", "...DCCCC", "..DDDDDD", ".DLLLLLL",
     "DTLTTYTT", "DTTTTTTT", "DSSSSSSS", ".DSSYSSS", "..DDSSSS", "....DDDD", ".....DSS",
     "......DY", ".......D"},
    {{'D', OUTLINE}, {'C', {90, 220, 255}}, {'W', {220, 250, 255}}, {'L', {140, 230, 220}},
     {'T', {30, 160, 160}}, {'S', {18, 96, 110}}, {'Y', {255, 240, 120}}}};

// A violet beetle: armoured back, legs splayed, red eyes and mandibles reaching down.
static const PixelMap INSECTOID = {
    Symmetry::mirrored,
    {".D..DDDD", "D.DDPPPL", ".DDPPPLW", "..DPPPPL", "DDDPPPPQ", "..DQPPPQ", ".DDDQQQD",
     "D.DPPPDL", ".DDPPDLW", "..DDPDLL", ".D.DDRRD", "D..DERRD", "...DDDDP", "...DPD.D",
     "..DPD...", "..DD...."},
    {{'D', OUTLINE}, {'P', {150, 80, 210}}, {'L', {215, 160, 255}}, {'W', {245, 225, 255}},
     {'Q', {90, 40, 140}}, {'E', {255, 230, 120}}, {'R', {255, 60, 60}}}};

// A slow armoured gunship in crimson plates.
static const PixelMap HEAVY = {
    Symmetry::mirrored,
    {"DDDD..DD", "DRRD.DRR", "DRRDDRRR", "DGGGDRRL", "DGLGDRLL", "DGGGDRRR", "DDDDDRRR",
     ".DRRRRRR", "DRRHHRRR", "DRDDDDRR", "DRDYYYDR", "DRDDDDRR", ".DRRRRRR", "..DGGDRR",
     "..DGGDDD", "...DD..."},
    {{'D', OUTLINE}, {'R', {190, 30, 40}}, {'H', {255, 120, 110}}, {'L', {240, 80, 80}},
     {'G', {110, 110, 130}}, {'Y', {255, 200, 60}}}};

// A four-bladed star that whirls around a glowing hub.
static const PixelMap SPINNER = {
    Symmetry::quartered,
    {"DD.....D", "DWD...DW", ".DWD..DW", "..DWD.DL", "...DWDDL", "....DLVV", "DWWLLVPV",
     "DWLLLVVH"},
    {{'D', OUTLINE}, {'W', {235, 240, 255}}, {'L', {150, 170, 210}}, {'V', {110, 60, 200}},
     {'P', {200, 140, 255}}, {'H', {255, 255, 255}}}};

// The player's ship: white hull, blue canopy, a gun pod on each wing tip (columns 1 and 14).
static const PixelMap SHIP = {
    Symmetry::mirrored,
    {".D.....D", ".L.....W", ".L....DW", ".L....WB", "DLD..DWB", "DWD..DWB", "DWD.DLWW",
     "DWDDLWWR", "DWLLWWWR", "DWWWWLLW", "DLWWLGGW", "DGLLGDGL", "DGGD.DGL", ".DD..DOY",
     ".OY...OY", ".Y.....O"},
    {{'D', {30, 34, 60}}, {'L', {190, 200, 222}}, {'W', {245, 248, 255}},
     {'G', {110, 120, 150}}, {'B', {40, 100, 230}}, {'R', {230, 60, 40}},
     {'O', {255, 140, 20}}, {'Y', {255, 230, 90}}}};

static const int CANOPY_GLINT_X = 7, CANOPY_GLINT_Y = 3;

void draw_design(BITMAP *bitmap, Design design, int x, int y, int scale)
{
    switch (design) {
    case Design::scout: draw_map(bitmap, x, y, SCOUT, scale); break;
    case Design::saucer: draw_map(bitmap, x, y, SAUCER, scale); break;
    case Design::insectoid: draw_map(bitmap, x, y, INSECTOID, scale); break;
    case Design::heavy: draw_map(bitmap, x, y, HEAVY, scale); break;
    case Design::spinner: draw_map(bitmap, x, y, SPINNER, scale); break;
    case Design::ship:
        draw_map(bitmap, x, y, SHIP, scale);
        rectfill(bitmap, x + CANOPY_GLINT_X * scale, y + CANOPY_GLINT_Y * scale,
                 x + (CANOPY_GLINT_X + 1) * scale - 1, y + (CANOPY_GLINT_Y + 1) * scale - 1,
                 colour(150, 225, 255));
        break;
    }
}
