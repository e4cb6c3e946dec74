"""Journeys: the real game started on a damaged datafile shows one clear message naming the
file and exits with status 1; it never crashes, stalls or takes all memory. The damaged copies
come from make_damaged_datafiles.sh (folder in VS_DAMAGED_DIR)."""
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
import progress_screens as ps  # noqa: E402

DAMAGED_DIR = Path(os.environ.get("VS_DAMAGED_DIR", "build/hardening/damaged"))
FATAL_STATUS = 1
CANNOT_LOAD = "Cannot load sprites.dat: the file is missing or damaged.\n\nOK TO QUIT!\n"
CANNOT_USE = "Cannot use {}: {}.\n\nOK TO QUIT!\n"
LEVEL_REFUSED = "Level file {} cannot be played:\n{}.\n\nOK TO QUIT!\n"
# The entry just past the last picture of sprites.dat.
FIRST_EXTRA_SPRITE = 14


class DamagedDatafiles(harness.JourneyTest):

    def assert_refused(self, damaged, message, in_place_of="sprites.dat"):
        with self.game() as game:
            game.path(in_place_of).write_bytes((DAMAGED_DIR / damaged).read_bytes())
            game.start()
            self.assertEqual(game.wait_exit(), FATAL_STATUS)
            self.assertEqual(game.messages(), [message])

    def test_truncated(self):
        self.assert_refused("sprites_truncated.dat", CANNOT_LOAD)

    def test_too_few_entries(self):
        self.assert_refused("sprites_too_few.dat", CANNOT_USE.format(
            "sprites.dat", "it holds 13 entries, the game needs 14"))

    def test_sound_where_a_picture_belongs(self):
        self.assert_refused("sprites_wrong_kind.dat", CANNOT_USE.format(
            "sprites.dat", "entry 3 is not a picture"))

    def test_8_bit_picture(self):
        self.assert_refused("sprites_8bit.dat", CANNOT_USE.format(
            "sprites.dat", "entry 5 is a 8-bit picture, the game needs 16-bit"))

    # Each of these crashed inside Allegro's loader before.
    def test_picture_of_depth_7(self):
        self.assert_refused("sprites_depth_7.dat", CANNOT_USE.format(
            "sprites.dat", "entry 0 is a 7-bit picture, the game needs 16-bit"))

    def test_picture_of_65535x32769(self):
        self.assert_refused("sprites_65535x32769.dat", CANNOT_USE.format(
            "sprites.dat", "entry 0 is 65535x32769, the game needs at most the screen's 320x200"))

    # The tune crashed the game in Allegro's MIDI player once the intro started it.
    def test_tune_track_length_1(self):
        self.assert_refused("music_track_1.dat", CANNOT_USE.format(
            "music.dat", "entry 1 is a damaged tune: track 0 ends without its end mark"),
            "music.dat")

    # A level may name only a picture: the entry after the last one is a sound here, which
    # would have been drawn as an enemy's picture.
    def test_level_naming_a_sound_in_sprites(self):
        with self.game() as game:
            game.path("sprites.dat").write_bytes(
                (DAMAGED_DIR / "sprites_extra_sound.dat").read_bytes())
            game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level1.qlv",
                             [(0, FIRST_EXTRA_SPRITE, 10, 0)])
            ps.start_new_game(game)
            self.assertEqual(game.wait_exit(), FATAL_STATUS)
            self.assertEqual(game.messages(), [LEVEL_REFUSED.format(
                "levels/level1.qlv",
                "enemy entry 1: sprite 14 is not a picture of sprites.dat (0 to 13)")])


if __name__ == "__main__":
    harness.main()
