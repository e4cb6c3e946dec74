"""What the game's own screens look like, and the steps that lead to them.

Each signature is text that the game draws itself (white 8x8 text at known places) or a sprite
of its datafile at a known place, so a redrawn picture behind it changes nothing.
"""
import sys
import time

from harness import JourneyError

# Title menu: the four items and the rows of the ">" cursor.
MENU_ITEMS = [("New Game", 120, 100), ("High Scores", 110, 120), ("Credits", 130, 140),
              ("Quit", 140, 160)]
NEW_GAME, HIGH_SCORES, CREDITS, QUIT = (row for _, _, row in MENU_ITEMS)
CURSOR_X = 100
CURSOR_ROWS = [row for _, _, row in MENU_ITEMS]

# Play: the ship's picture and where a level starts it.
SPR_BULLET = 6
SPR_SHIP = 11
SHIP_START_X = 160
SHIP_Y = 184
GUN_OFFSETS = (1, 14)
SHIP_MAX_X = 304

# High score table: the heading, then ten rows of name and score.
TABLE_HEADING = ("High Scores", 110, 0)
TABLE_FIRST_ROW = 60
TABLE_ROW_STEP = 10
TABLE_NAME_X = 90
TABLE_SCORE_X = 190
TABLE_ROWS = 10
NAME_CELLS = (TABLE_SCORE_X - TABLE_NAME_X) // 8
SCORE_CELLS = 12

# Name entry.
ENTRY_HEADING = ("You've got a High Score!!", 40, 0)
ENTRY_PROMPT = ("Enter your name here:", 60, 50)

BLACK = (0, 0, 0)

QUIT_STATUS = 1   # "Quit" ends the game with this status

INTRO_KEY = "x"   # any key ends the intro's second half; this one does nothing in the menu
ANY_KEY = "x"


def shows_menu(shot):
    return all(shot.shows_text(x, y, text) for text, x, y in MENU_ITEMS)


def cursor_row(shot):
    """The row of the one ">" in the cursor column, or None when there is not exactly one."""
    rows = [row for row in CURSOR_ROWS if shot.char_at(CURSOR_X, row) == ">"]
    return rows[0] if len(rows) == 1 else None


def menu_with_cursor(row):
    return lambda shot: shows_menu(shot) and cursor_row(shot) == row


def start_to_menu(game, keep="title-menu"):
    """Starts the game, presses a key until the intro gives way, and waits for the menu.
    Keys during the intro's first half are dropped by the game; one in the second half ends
    it, and the menu follows the final fade. The first picture of the intro is kept."""
    game.start()
    game.find_window()
    intro_kept = []

    def menu_keeping_intro(shot):
        if shows_menu(shot):
            return cursor_row(shot) == NEW_GAME
        if not intro_kept and not shot.mostly(BLACK):
            shot.save_png(game.artifacts / "intro.png")
            intro_kept.append(shot)
        return False
    return game.wait_for("the title menu", menu_keeping_intro, timeout=60, keep=keep,
                         between=lambda: game.tap(INTRO_KEY))


# The cursor is taken to rest once it has stayed on one row this long: well past the menu's
# 100 ms repeat of a held arrow.
CURSOR_REST_SECONDS = 0.5
ARROW_STEPS = {"Down": 1, "Up": -1}
MOVE_TAPS = 2 * len(CURSOR_ROWS)


def resting_cursor(game, keep=None):
    """The row of the menu's cursor once it has stopped moving."""
    seen = []

    def resting(shot):
        row = cursor_row(shot) if shows_menu(shot) else None
        if not seen or seen[-1][0] != row:
            seen.append((row, time.monotonic()))
        return row is not None and time.monotonic() - seen[-1][1] >= CURSOR_REST_SECONDS
    return cursor_row(game.wait_for("the menu's cursor at rest", resting, keep=keep))


def move_cursor(game, key, expected_row, keep=None):
    """Taps an arrow key in the menu until one tap takes the cursor from the row before the
    expected one to it. A tap that a busy game sees held past the menu's repeat moves the cursor
    on again (the repeat's timing is the scripted-player tests' to prove): it then goes round."""
    before = resting_cursor(game)
    for _ in range(MOVE_TAPS):
        game.press(key, f"the cursor leaving row {before}",
                   lambda shot: shows_menu(shot) and cursor_row(shot) not in (None, before))
        after = resting_cursor(game, keep)
        one_on = CURSOR_ROWS[(CURSOR_ROWS.index(before) + ARROW_STEPS[key]) % len(CURSOR_ROWS)]
        if after == expected_row == one_on:
            return
        print(f"{key} took the cursor from {before} to {after}; tapping again", file=sys.stderr)
        before = after
    raise JourneyError(f"no tap of {key} took the cursor one row on to {expected_row}")


def ship_x(game, shot):
    """The x at which the ship is drawn on the ship's row, or None when it is not found once."""
    found = shot.find_sprite_in_row(game.sprite(SPR_SHIP), SHIP_Y)
    return found[0] if len(found) == 1 else None


def shows_ship_at(game, x):
    return lambda shot: ship_x(game, shot) == x


def bullets_above(game, shot, ship_left):
    """The (x, y) of every bullet drawn in the two gun columns above the ship."""
    bullet = game.sprite(SPR_BULLET)
    found = []
    for offset in GUN_OFFSETS:
        x = ship_left + offset
        found += [(x, y) for y in shot.find_sprite_in_column(bullet, x, range(0, SHIP_Y))]
    return found


def new_game(game):
    """Enter on "New Game" (the cursor must be there) and the play screen's ship at its start."""
    return game.press("Return", "the play screen", shows_ship_at(game, SHIP_START_X),
                      keep="play-start")


def shows_table(shot):
    text, x, y = TABLE_HEADING
    return shot.shows_text(x, y, text) and not shows_menu(shot)


def table_rows(shot):
    """The ten (name, score) rows of the high score screen as read from it."""
    rows = []
    for i in range(TABLE_ROWS):
        y = TABLE_FIRST_ROW + TABLE_ROW_STEP * i
        name = shot.text_at(TABLE_NAME_X, y, NAME_CELLS).rstrip()
        score = shot.text_at(TABLE_SCORE_X, y, SCORE_CELLS).strip()
        rows.append((name, score))
    return rows


def visit_high_scores(game, keep=None):
    """From the menu with its cursor on "New Game": Down and Enter open the high score table,
    then any key goes back to the menu with the cursor left on "High Scores". Returns the
    screenshot of the table."""
    move_cursor(game, "Down", HIGH_SCORES)
    table = game.press("Return", "the high score table", shows_table, keep=keep)
    game.tap(ANY_KEY)
    game.wait_for("the menu with the cursor on High Scores", menu_with_cursor(HIGH_SCORES),
                  keep=f"menu-after-{keep}" if keep else None)
    return table


def shows_name_entry(shot):
    return all(shot.shows_text(x, y, text) for text, x, y in (ENTRY_HEADING, ENTRY_PROMPT))


def expect(condition, description):
    if not condition:
        raise JourneyError(description)
