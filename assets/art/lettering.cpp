// Text for the pictures: Allegro's 8x8 font, set proportionally, enlarged with edge
// smoothing, shaded top to bottom, outlined and shadowed.
#include "lettering.h"

#include <algorithm>
#include <vector>

static const int GLYPH = 8;       // Allegro's built-in font is 8x8
static const int SPACE_WIDTH = 4; // a word space, in font pixels
static const int LETTER_GAP = 1;  // between two letters, in font pixels

// A one-bit picture of some text.
struct Mask {
    int w = 0, h = 0;
    std::vector<unsigned char> on;
    bool at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < w && y < h && on[y * w + x];
    }
};

// The columns of one glyph that hold ink, as a mask GLYPH high.
static Mask glyph_mask(char c)
{
    BITMAP *scratch = new_picture(GLYPH, GLYPH, makecol24(0, 0, 0));
    char text[2] = {c, 0};
    textout_ex(scratch, font, text, 0, 0, makecol24(255, 255, 255), -1);
    int left = GLYPH, right = -1;
    for (int y = 0; y < GLYPH; y++)
        for (int x = 0; x < GLYPH; x++)
            if (getpixel(scratch, x, y) != makecol24(0, 0, 0)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    Mask glyph;
    glyph.h = GLYPH;
    glyph.w = right < 0 ? SPACE_WIDTH : right - left + 1;
    glyph.on.assign(glyph.w * glyph.h, 0);
    for (int y = 0; right >= 0 && y < GLYPH; y++)
        for (int x = left; x <= right; x++)
            glyph.on[y * glyph.w + x - left] = getpixel(scratch, x, y) != makecol24(0, 0, 0);
    destroy_bitmap(scratch);
    return glyph;
}

// The text set with each letter as wide as its ink and a small gap between letters.
static Mask text_mask(const std::string &text)
{
    std::vector<Mask> glyphs;
    Mask mask;
    mask.h = GLYPH;
    for (size_t i = 0; i < text.size(); i++) {
        glyphs.push_back(glyph_mask(text[i]));
        mask.w += glyphs.back().w + (i + 1 < text.size() ? LETTER_GAP : 0);
    }
    mask.on.assign(mask.w * mask.h, 0);
    int at = 0;
    for (const Mask &glyph : glyphs) {
        for (int y = 0; y < GLYPH; y++)
            for (int x = 0; x < glyph.w; x++)
                mask.on[y * mask.w + at + x] = glyph.on[y * glyph.w + x];
        at += glyph.w + LETTER_GAP;
    }
    return mask;
}

// Doubles a mask, rounding off staircase corners (the classic Scale2x rule).
static Mask smooth_double(const Mask &in)
{
    Mask out;
    out.w = in.w * 2;
    out.h = in.h * 2;
    out.on.assign(out.w * out.h, 0);
    for (int y = 0; y < in.h; y++)
        for (int x = 0; x < in.w; x++) {
            bool e = in.at(x, y), b = in.at(x, y - 1), h = in.at(x, y + 1);
            bool d = in.at(x - 1, y), f = in.at(x + 1, y);
            bool e0 = e, e1 = e, e2 = e, e3 = e;
            if (b != h && d != f) {
                e0 = d == b ? d : e;
                e1 = b == f ? f : e;
                e2 = d == h ? d : e;
                e3 = h == f ? f : e;
            }
            out.on[(2 * y) * out.w + 2 * x] = e0;
            out.on[(2 * y) * out.w + 2 * x + 1] = e1;
            out.on[(2 * y + 1) * out.w + 2 * x] = e2;
            out.on[(2 * y + 1) * out.w + 2 * x + 1] = e3;
        }
    return out;
}

static Mask block_scale(const Mask &in, int factor)
{
    if (factor <= 1)
        return in;
    Mask out;
    out.w = in.w * factor;
    out.h = in.h * factor;
    out.on.assign(out.w * out.h, 0);
    for (int y = 0; y < out.h; y++)
        for (int x = 0; x < out.w; x++)
            out.on[y * out.w + x] = in.at(x / factor, y / factor);
    return out;
}

static Mask scaled_mask(const std::string &text, int scale)
{
    Mask mask = text_mask(text);
    while (scale > 1 && scale % 2 == 0) {
        mask = smooth_double(mask);
        scale /= 2;
    }
    return block_scale(mask, scale);
}

static bool near_mask(const Mask &mask, int x, int y, int reach)
{
    for (int dy = -reach; dy <= reach; dy++)
        for (int dx = -reach; dx <= reach; dx++)
            if (mask.at(x + dx, y + dy))
                return true;
    return false;
}

Lettering simple_lettering(int scale, Rgb top, Rgb bottom)
{
    return Lettering{scale, {{0, top}, {1, bottom}}, 1, Rgb{0, 0, 0}, 1, Rgb{0, 0, 0}};
}

Lettering chrome_lettering(int scale, Rgb sky, Rgb ground)
{
    return Lettering{scale,
                     {{0, {255, 255, 255}}, {0.5, sky}, {0.52, shade(ground, -0.75)},
                      {0.6, shade(ground, -0.5)}, {1, shade(ground, 0.45)}},
                     2, {8, 10, 36}, 2, {0, 0, 0}};
}

// The letters' colour at height t (0 top, 1 bottom) of a line.
static Rgb shade_at(const std::vector<Shade> &shades, double t)
{
    if (shades.empty())
        return Rgb{255, 255, 255};
    if (t <= shades.front().at)
        return shades.front().colour;
    for (size_t i = 1; i < shades.size(); i++)
        if (t <= shades[i].at) {
            double span = shades[i].at - shades[i - 1].at;
            return mix(shades[i - 1].colour, shades[i].colour,
                       span > 0 ? (t - shades[i - 1].at) / span : 1);
        }
    return shades.back().colour;
}

int lettering_width(const std::string &text, const Lettering &style)
{
    return text_mask(text).w * style.scale;
}

int lettering_height(const Lettering &style)
{
    return GLYPH * style.scale;
}

void draw_lettering(BITMAP *bitmap, const std::string &text, int x, int y, const Lettering &style)
{
    Mask mask = scaled_mask(text, style.scale);
    int edge = style.outline + style.shadow;
    for (int my = -edge; my < mask.h + edge; my++)
        for (int mx = -edge; mx < mask.w + edge; mx++) {
            int px = x + mx, py = y + my;
            if (px < 0 || py < 0 || px >= bitmap->w || py >= bitmap->h)
                continue;
            if (mask.at(mx, my)) {
                double t = mask.h > 1 ? my / double(mask.h - 1) : 0;
                putpixel(bitmap, px, py, colour(shade_at(style.shades, t)));
            } else if (style.outline && near_mask(mask, mx, my, style.outline)) {
                putpixel(bitmap, px, py, colour(style.outline_colour));
            } else if (style.shadow &&
                       near_mask(mask, mx - style.shadow, my - style.shadow, style.outline)) {
                putpixel(bitmap, px, py, colour(style.shadow_colour));
            }
        }
}

void draw_lettering_centred(BITMAP *bitmap, const std::string &text, int centre_x, int y,
                            const Lettering &style)
{
    draw_lettering(bitmap, text, centre_x - lettering_width(text, style) / 2, y, style);
}

void draw_lettering_right(BITMAP *bitmap, const std::string &text, int right_x, int y,
                          const Lettering &style)
{
    draw_lettering(bitmap, text, right_x - lettering_width(text, style), y, style);
}
