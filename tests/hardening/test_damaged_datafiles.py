"""Journeys: the real game started on a damaged datafile shows one clear message naming the
file and exits with status 1 before its tune could crash it; a level may name only a picture.
Every damaged copy's own message is the hardening tests' (load_game_datafile, which main calls);
the copies come from make_damaged_datafiles.sh (folder in VS_DAMAGED_DIR)."""
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402
import progress_screens as ps  # noqa: E402

DAMAGED_DIR = Path(os.environ.get("VS_DAMAGED_DIR", "build/hardening/damaged"))
FATAL_STATUS = 1
LEVEL_REFUSED = "Level file {} cannot be played:\n{}.\n\nOK TO QUIT!\n"
# The entry just past the last picture of sprites.dat.
FIRST_EXTRA_SPRITE = 14


class DamagedDatafiles(harness.JourneyTest):

    def use(self, game, damaged, in_place_of):
        game.path(in_place_of).write_bytes((DAMAGED_DIR / damaged).read_bytes())

    # The tune crashed the game in Allegro's MIDI player once the intro started it.
    def test_tune_track_length_1(self):
        with self.game() as game:
            self.use(game, "music_track_1.dat", "music.dat")
            game.start()
            self.assertEqual(game.wait_exit(), FATAL_STATUS)
            self.assertEqual(game.messages(), ["Cannot use music.dat: entry 1 is a damaged tune: "
                                               "track 0 ends without its end mark.\n\nOK TO QUIT!\n"])

    # The entry after the last picture is a sound here, which would have been drawn as an
    # enemy's picture.
    def test_level_naming_a_sound_in_sprites(self):
        with self.game() as game:
            self.use(game, "sprites_extra_sound.dat", "sprites.dat")
            game.write_level("level1.qlv", "levels\\level1.qlv", "levels\\level1.qlv",
                             [(0, FIRST_EXTRA_SPRITE, 10, 0)])
            ps.start_new_game(game)
            self.assertEqual(game.wait_exit(), FATAL_STATUS)
            self.assertEqual(game.messages(), [LEVEL_REFUSED.format(
                "levels/level1.qlv",
                "enemy entry 1: sprite 14 is not a picture of sprites.dat (0 to 13)")])


if __name__ == "__main__":
    harness.main()
