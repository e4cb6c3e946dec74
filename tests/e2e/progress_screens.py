"""The screens between levels and after a hit, and the level files that lead to them.

The tally, the shop and its message screens, the lives screen and the game-over picture are
recognised by the picture behind them (compared with the entry of the backgrounds datafile the
game loaded) and by the text the game draws on it, read glyph by glyph in its exact colour.
"""
import allegro_ref
import game_screens as gs
from harness import JourneyError, scores_text
from screen import WHITE

# Entries of backgrounds.dat behind these screens.
BG_LIVES = 6
BG_GAME_OVER = 7
BG_BACKDROP = 11
RED = (255, 0, 0)
MAGENTA = (255, 0, 255)
BLUE = (0, 0, 255)

# Pictures are compared on a grid of sample points; text and numbers drawn over them and the
# 5-6-5 rounding of the screen leave most samples within the tolerance.
PICTURE_STEP = 4
PICTURE_TOLERANCE = 12
PICTURE_MATCH = 0.9
LINE_CELLS = 40

# The tally: (row, colour) of its eight lines.
TALLY_ROWS = [(0, MAGENTA), (15, BLUE), (30, RED), (45, BLUE),
              (100, WHITE), (110, WHITE), (140, WHITE), (150, WHITE)]
SHOP_ROWS = [0, 10, 20, 50, 60, 72, 84, 96, 108, 122]
MESSAGE_ROW = 0
CONTINUE_ROW = 20
CONTINUE_TEXT = "Hit ENTER to continue"
THANKS = "Thank you for your purchase"

# The lives screen: two numbers that start mid-screen.
NUMBERS_X = 160
LIVES_ROW = 65
LEVEL_ROW = 165
NUMBER_CELLS = 4

# Start values of a new game and of every life.
START_LIVES = 5
START_BULLETS = 4
START_FIRE_DELAY = 15
START_SHIELDS = 3
START_SHIELD_LENGTH = 100
POINTS_PER_ENEMY = 10

# Shop items: the key that buys one and its price.
ITEM_MAX_BULLETS = ("1", 500)
LEAVE_SHOP = "6"

# Enemies that fly into the fire of a ship left at x 160 with Space held: pattern 10 drops at
# x 150 (the left gun fires at 161), pattern 12 at x 170 (the right gun at 174). Their shots
# fall at x 158 or less and 178 or more, outside the ship. One every 30 delay units leaves
# each time to be shot before the next comes down.
GALLERY_PATTERNS = (10, 12)
GALLERY_GAP = 30
ENEMY_SPRITES = 5
# A pattern-10 enemy that, unshot, drops onto the ship at x 160 and kills it. A second one
# follows it down: still in flight when the first reaches the ship, it keeps the level from
# ending even when the game, stalled for a moment, runs the ticks of the first one's touch and
# of its exit below the screen in one frame. (Its delay is short on purpose: a game over leaves
# the spawn countdown as it was, and the next game's first enemy waits for it.)
KILLER = [(0, 0, 10, 0), (60, 1, 10, 0)]
# A level that ends the moment it is loaded.
EMPTY = []


def gallery(count):
    """A level of `count` enemies, each shot down by a ship that stays put and holds Space."""
    return [(0 if i == 0 else GALLERY_GAP, i % ENEMY_SPRITES,
             GALLERY_PATTERNS[i % len(GALLERY_PATTERNS)], 0) for i in range(count)]


def write_chain(game, levels):
    """Writes level files from a list of (name, entries, next name); each restarts itself.
    The first one is the game's levels/level1.qlv."""
    for name, entries, next_name in levels:
        game.write_level(name, f"levels\\{name}", f"levels\\{next_name}", entries)


# ---- recognisers --------------------------------------------------------------------------
def picture(game, entry):
    return allegro_ref.datafile_sprites(game.path("backgrounds.dat"))[entry]


def shows_picture(game, shot, entry):
    """True when most sample points of the screen show this backgrounds entry."""
    reference = picture(game, entry)
    total = matched = 0
    for y in range(0, shot.height, PICTURE_STEP):
        for x in range(0, shot.width, PICTURE_STEP):
            expected = reference.pixels.get((x, y))
            if expected is None:
                continue
            total += 1
            shown = shot.pixel(x, y)
            if all(abs(a - b) <= PICTURE_TOLERANCE for a, b in zip(shown, expected)):
                matched += 1
    return total > 0 and matched >= PICTURE_MATCH * total


def line_at(shot, row, colour=WHITE):
    """The text of a whole line at the left edge, trailing blanks dropped."""
    return shot.text_at(0, row, LINE_CELLS, colour).rstrip()


def tally_lines(shot):
    return [line_at(shot, row, colour) for row, colour in TALLY_ROWS]


def expected_tally(points, total_before, level):
    """The eight lines of the tally as the game words them (trailing blanks dropped)."""
    return [f"Points          :  {points}", f"Total Points    :+ {total_before}",
            "               ---------", f"Total Points    : {total_before + points}",
            f"Level {level} Ready! Hit [enter] to", f"proceed to level {level}!",
            "Hit [b] to purchase items", "with your points!"]


def shows_tally(game):
    return lambda shot: (line_at(shot, 140) == "Hit [b] to purchase items"
                         and shows_picture(game, shot, BG_BACKDROP))


def shop_lines(shot):
    return [line_at(shot, row) for row in SHOP_ROWS]


def expected_shop(points, level, bullets=START_BULLETS, delay=START_FIRE_DELAY,
                  shields=START_SHIELDS, length=START_SHIELD_LENGTH, lives=START_LIVES):
    return ["Welcome to the shop. Here is", "a list of what you can upgrade!",
            f"Your total points = {points}", "NAME|CURRENT # OF ITEM|COST|MAX ALLOWED|",
            f"[1] Max Bullets  |{bullets}|500|10|", f"[2] Bullet Speed |{delay}|1,000|0|",
            f"[3] Shields      |{shields}|500|10|", f"[4] Shield Length|{length}|1,000|300|",
            f"[5] Life         |{lives}|5,000|", f"[6] EXIT & Proceed to level {level}"]


def shows_shop(game):
    return lambda shot: (line_at(shot, 0) == "Welcome to the shop. Here is"
                         and shows_picture(game, shot, BG_BACKDROP))


def shows_message(game, message):
    """A message screen: its two lines, the backdrop, and nothing of the shop below them."""
    def check(shot):
        return (line_at(shot, MESSAGE_ROW) == message
                and line_at(shot, CONTINUE_ROW) == CONTINUE_TEXT
                and all(line_at(shot, row) == "" for row in SHOP_ROWS[3:])
                and shows_picture(game, shot, BG_BACKDROP))
    return check


def left_menu(shot):
    return not gs.shows_menu(shot)


def start_new_game(game):
    """Enter on "New Game" for a game that may end at once: a failure to press is the test's
    only while the game still runs (a refused level can close it before the menu is seen gone)."""
    gs.start_to_menu(game)
    try:
        game.press("Return", "the menu left", left_menu)
    except JourneyError:
        if game.running():
            raise


def lives_numbers(shot):
    """The two numbers of the lives screen as read from it: (lives, level)."""
    return (shot.text_at(NUMBERS_X, LIVES_ROW, NUMBER_CELLS).strip(),
            shot.text_at(NUMBERS_X, LEVEL_ROW, NUMBER_CELLS).strip())


def shows_lives(game):
    return lambda shot: (all(lives_numbers(shot)) and shows_picture(game, shot, BG_LIVES))


def shows_game_over(game):
    return lambda shot: shows_picture(game, shot, BG_GAME_OVER)


def shows_play(game):
    """The play screen with the ship where every level starts it."""
    return gs.shows_ship_at(game, gs.SHIP_START_X)


# ---- steps ------------------------------------------------------------------------------
def expect_lines(found, expected, what):
    if found != expected:
        raise JourneyError(f"{what} reads {found!r}, expected {expected!r}")


def wait_tally(game, points, total_before, level, keep=None, timeout=60):
    """Waits for the tally and checks its eight lines; returns the screenshot."""
    shot = game.wait_for(f"the tally before level {level}", shows_tally(game), timeout=timeout,
                         keep=keep)
    expect_lines(tally_lines(shot), expected_tally(points, total_before, level), "the tally")
    return shot


def open_shop(game, points, level, keep=None, **items):
    """B on the tally, and the shop's ten lines checked; returns the screenshot."""
    shot = game.press("b", "the shop", shows_shop(game), keep=keep)
    expect_lines(shop_lines(shot), expected_shop(points, level, **items), "the shop")
    return shot


def shop_key(game, item_key, message, keep=None):
    """A digit tapped in the shop, its message screen, and Enter back to the shop."""
    game.press(item_key, f"the message {message!r}", shows_message(game, message), keep=keep)
    return game.press("Return", "the shop again", shows_shop(game))


def wait_lives(game, lives, level, keep=None, timeout=60):
    """Waits for the lives screen and checks its two numbers; returns the screenshot."""
    shot = game.wait_for(f"the lives screen with {lives} lives", shows_lives(game),
                         timeout=timeout, keep=keep)
    expect_lines(lives_numbers(shot), (str(lives), str(level)), "the lives screen")
    return shot


def lose_lives(game, first_lives, level, keep_first=None):
    """With a killer level in play: each death's lives screen down to 1 life, Enter after each."""
    for lives in range(first_lives, 0, -1):
        wait_lives(game, lives, level, keep=keep_first if lives == first_lives else None)
        leave_lives(game)


def leave_lives(game):
    """Enter on the lives screen, and the screen seen gone."""
    lives_screen = shows_lives(game)
    game.press("Return", "the lives screen to go", lambda shot: not lives_screen(shot))


def enter_name(game, name, table, keep=None):
    """Types a name into the box of a new high score, Enter, and checks the table then shown
    and the file against the expected ten (name, score) entries."""
    game.wait_for("the name entry", gs.shows_name_entry, keep="name-entry")
    game.type_text(name)
    game.tap("Return")
    shot = game.wait_for("the table with the new entry", gs.shows_table, keep=keep)
    expect_lines(gs.table_rows(shot), [(n, str(score)) for n, score in table], "the table")
    if game.path("highscores.sco").read_bytes() != scores_text(table).encode():
        raise JourneyError("highscores.sco does not hold the table shown")


def leave_lives_to_exit(game):
    """Escape held while Enter leaves the lives screen: play resumes and its first frame ends
    the game, before the killer can come round again. Returns the exit status."""
    with game.holding("Escape"):
        return game.press_to_exit("Return")


def game_over_to_menu(game, keep=None):
    """Enter on the game-over picture: the title menu follows with its cursor on "New Game".
    That it waits for a choice, and did not take this Enter, the arrow keys that follow show."""
    return game.press("Return", "the title menu after the game over",
                      gs.menu_with_cursor(gs.NEW_GAME), keep=keep)


# The killer's flight (pattern 10 from the top-left corner, two pixels a tick): a dive along
# x = y to x 100, a climb to x 150, then the drop at x 150 four pixels a tick onto the ship.
# It takes about 105 ticks, well over a second, from the corner to the ship.
KILLER_SPRITE = 0
KILLER_PATH = ([(x, x) for x in range(0, 100, 2)] + [(x, 200 - x) for x in range(100, 150, 2)]
               + [(150, y) for y in range(50, 200, 4)])


def killer_progress(game, shot):
    """How far along its flight the killer is drawn (an index of KILLER_PATH), or None."""
    sprite = game.sprite(KILLER_SPRITE)
    for index, (x, y) in enumerate(KILLER_PATH):
        if shot.sprite_at(sprite, x, y):
            return index
    return None


def hold_enter_through_one_death(game):
    """Holds Enter from the lives screen until the killer is seen back nearer its corner than
    before: the ship died, and the held key passed that death's lives screen at once. The
    screen is read several times a flight, so no second death can pass unseen; Enter is let go
    long before the restarted killer reaches the ship."""
    seen = []

    def restarted(shot):
        progress = killer_progress(game, shot)
        if progress is not None:
            seen.append(progress)
        return len(seen) >= 2 and seen[-1] < seen[-2]

    with game.holding("Return"):
        game.wait_for("the killer flying again after a death", restarted, timeout=20)
    return seen
