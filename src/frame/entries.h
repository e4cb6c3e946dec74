// Entry numbers of the four datafiles and what each entry must be.
#pragma once

// ---- sprites.dat (bitmaps) -------------------------------------------------
const int SPR_ENEMY_FIRST = 0;     // entries 0 to 4: enemy pictures the level files choose from
const int SPR_ENEMY_LAST = 4;
const int SPR_ENEMY_SHOT = 5;      // an enemy's shot
const int SPR_BULLET = 6;          // the player's bullet
const int SPR_EXPLOSION_1 = 7;     // explosion: flash
const int SPR_EXPLOSION_2 = 8;     // explosion: fireball
const int SPR_EXPLOSION_3 = 9;     // explosion: smoke, also drawn lit while fading
const int SPR_EXPLOSION_4 = 10;    // explosion: debris, also drawn lit while fading
const int SPR_SHIP = 11;           // the player's ship
const int SPR_SHIELD_EVEN = 12;    // shield on even timer values
const int SPR_SHIELD_ODD = 13;     // shield on odd timer values
const int SPRITES_COUNT = 14;

// ---- backgrounds.dat (bitmaps) ---------------------------------------------
const int BG_CREDITS_FIRST = 0;    // entries 0 to 5: the credit slides, in order
const int BG_CREDITS_COUNT = 6;
const int BG_LIVES = 6;            // behind the lives screen
const int BG_GAME_OVER = 7;        // the game-over picture
const int BG_INTRO_CARD = 8;       // the intro's opening card
const int BG_FAR_LAYER = 9;        // far scrolling layer, opaque
const int BG_NEAR_LAYER = 10;      // near scrolling layer, masked
const int BG_BACKDROP = 11;        // intro backdrop, tally and shop background
const int BG_INTRO_RISER = 12;     // the picture that rises over the intro backdrop
const int BG_TITLE = 13;           // the title menu picture
const int BACKGROUNDS_COUNT = 14;

// ---- picture sizes --------------------------------------------------------
// What a picture entry must measure; a zero stands for any size from 1 up to the screen's.
// The drawing of sprites assumes no size. The backgrounds are copied as whole screens, and the
// riser's height sets how far it climbs in the intro, so those measure exactly.
struct PictureSize {
    int width;
    int height;
};

constexpr PictureSize ANY_PICTURE = {0, 0};
constexpr PictureSize SCREEN_PICTURE = {320, 200}; // copied as a whole screen
constexpr PictureSize RISER_PICTURE = {0, 950};    // rises from y 200 to y -750 in the intro

// The size sprites entry `entry` must have.
constexpr PictureSize sprite_size(int)
{
    return ANY_PICTURE;
}

// The size backgrounds entry `entry` must have.
constexpr PictureSize background_size(int entry)
{
    return entry == BG_INTRO_RISER ? RISER_PICTURE : SCREEN_PICTURE;
}

// ---- sounds.dat (samples) --------------------------------------------------
const int SND_EXPLOSION = 0;       // an enemy or the ship blown up
const int SND_INTRO = 1;           // the intro's opening sound
const int SND_SHIELD_DOWN = 2;
const int SND_SHIELD_UP = 3;
const int SND_SHOT = 4;            // the player fires
const int SOUNDS_COUNT = 5;

// ---- music.dat (MIDI tunes) ------------------------------------------------
const int MUS_CREDITS = 0;
const int MUS_INTRO = 1;
const int MUS_GAME = 2;
const int MUS_TITLE = 3;
const int MUSIC_COUNT = 4;
