"""Journeys: the real game started on a damaged sprites.dat shows one clear message naming the
file and exits with status 1; it never crashes. The damaged copies come from
make_damaged_datafiles.sh (folder in VS_DAMAGED_DIR)."""
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402

DAMAGED_DIR = Path(os.environ.get("VS_DAMAGED_DIR", "build/hardening/damaged"))
FATAL_STATUS = 1
CANNOT_LOAD = "Cannot load sprites.dat: the file is missing or damaged.\n\nOK TO QUIT!\n"
CANNOT_USE = "Cannot use sprites.dat: {}.\n\nOK TO QUIT!\n"


class DamagedDatafiles(harness.JourneyTest):

    def assert_refused(self, damaged, message):
        with self.game() as game:
            game.path("sprites.dat").write_bytes((DAMAGED_DIR / damaged).read_bytes())
            game.start()
            self.assertEqual(game.wait_exit(), FATAL_STATUS)
            self.assertEqual(game.messages(), [message])

    def test_truncated(self):
        self.assert_refused("sprites_truncated.dat", CANNOT_LOAD)

    def test_too_few_entries(self):
        self.assert_refused("sprites_too_few.dat", CANNOT_USE.format(
            "it holds 13 entries, the game needs 14"))

    def test_sound_where_a_picture_belongs(self):
        self.assert_refused("sprites_wrong_kind.dat", CANNOT_USE.format(
            "entry 3 is not a picture"))

    def test_8_bit_picture(self):
        self.assert_refused("sprites_8bit.dat", CANNOT_USE.format(
            "entry 5 is a 8-bit picture, the game needs 16-bit"))


if __name__ == "__main__":
    harness.main()
