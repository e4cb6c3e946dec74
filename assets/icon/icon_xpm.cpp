// Writes the game's icon, drawn into a PNG from its SVG, as the XPM rows Allegro's X11 port
// gives the window: a C++ source defining game_icon_xpm.
//
//   icon_xpm ICON.png OUT.cpp
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

// The characters a pixel's code is spelled with: printable, none that a C string must escape.
static const std::string CODE_LETTERS =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-";
// A pixel less than half opaque is left out of the icon's mask.
static const int OPAQUE_ENOUGH = 128;
static const uint32_t TRANSPARENT = 0xFFFFFFFFu;

static int fail(const std::string &text)
{
    std::fprintf(stderr, "icon_xpm: %s\n", text.c_str());
    return 1;
}

// The code of colour number `index`, `letters` characters long.
static std::string pixel_code(size_t index, int letters)
{
    std::string code;
    for (int i = 0; i < letters; i++) {
        code.insert(code.begin(), CODE_LETTERS[index % CODE_LETTERS.size()]);
        index /= CODE_LETTERS.size();
    }
    return code;
}

int main(int argc, char **argv)
{
    if (argc != 3)
        return fail("usage: icon_xpm ICON.png OUT.cpp");
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, argv[1]))
        return fail(std::string(argv[1]) + ": " + image.message);
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return fail(std::string(argv[1]) + ": " + image.message);

    // Each pixel's colour, numbered in order of first appearance so the output is stable.
    std::vector<uint32_t> pixels;
    std::map<uint32_t, size_t> numbers;
    std::vector<uint32_t> colours;
    for (size_t at = 0; at < rgba.size(); at += 4) {
        uint32_t colour = rgba[at + 3] < OPAQUE_ENOUGH
                              ? TRANSPARENT
                              : uint32_t(rgba[at]) << 16 | uint32_t(rgba[at + 1]) << 8 | rgba[at + 2];
        if (numbers.emplace(colour, colours.size()).second)
            colours.push_back(colour);
        pixels.push_back(colour);
    }
    int letters = 1;
    size_t codes = CODE_LETTERS.size();
    while (codes < colours.size() && letters < 3) {
        letters++;
        codes *= CODE_LETTERS.size();
    }
    if (codes < colours.size())
        return fail(std::string(argv[1]) + " has too many colours for an icon");

    std::ofstream out(argv[2]);
    out << "// The game's icon as XPM rows, written at build from its SVG by icon_xpm.\n"
        << "#include \"frame/window_icon.h\"\n\n"
        << "const char *const game_icon_xpm[] = {\n"
        << "    \"" << image.width << ' ' << image.height << ' ' << colours.size() << ' '
        << letters << "\",\n";
    for (size_t i = 0; i < colours.size(); i++) {
        char value[8];
        std::snprintf(value, sizeof value, "#%06X", unsigned(colours[i] & 0xFFFFFF));
        out << "    \"" << pixel_code(i, letters) << " c "
            << (colours[i] == TRANSPARENT ? "None" : value) << "\",\n";
    }
    for (png_uint_32 y = 0; y < image.height; y++) {
        out << "    \"";
        for (png_uint_32 x = 0; x < image.width; x++)
            out << pixel_code(numbers[pixels[y * image.width + x]], letters);
        out << "\",\n";
    }
    out << "};\n";
    out.close();
    if (!out)
        return fail(std::string("cannot write ") + argv[2]);
    return 0;
}
