"""The instrument patches against the tunes: the check the build runs after packing patches.dat
passes on the built file and fails, naming the tune, whenever an instrument a tune plays is
missing; and the index step refuses a tune that plays something freepats does not have."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

RUN_DIR = Path(os.environ.get("VS_RUN_DIR", "build/run"))
SOURCE_DIR = Path(os.environ.get("VS_SOURCE_DIR", Path(__file__).resolve().parents[2]))
TUNES_DIR = Path(os.environ.get("VS_TUNES_DIR", "build/assets/music"))
TUNE_PATCHES = os.environ.get("VS_TUNE_PATCHES", "build/assets/tune_patches")
DAT = os.environ.get("VS_DAT", "dat")
ABC2MIDI = os.environ.get("VS_ABC2MIDI", "abc2midi")
FREEPATS = Path(os.environ.get("VS_FREEPATS", "/usr/share/midi/freepats"))

PATCH_LINE = re.compile(r"^- PAT  - (\S+)", re.MULTILINE)
INDEX_NAME = "default_cfg"
GENERAL_MIDI_PROGRAMS = 128
TUNE_WITH_PROGRAM = """X:1
T:One note on program {program}
M:4/4
L:1/4
K:C
%%MIDI program {program}
C4 |
"""


def tunes():
    """The MIDI files the build made from assets/music, in the build's order."""
    sources = sorted((SOURCE_DIR / "assets" / "music").glob("[0-9][0-9]_*.abc"))
    return [TUNES_DIR / (source.stem + ".mid") for source in sources]


def run(*args):
    return subprocess.run([str(arg) for arg in args], capture_output=True, text=True, timeout=60)


def patch_names(datafile):
    """The names of the instrument patches inside a patches.dat, from `dat -l`."""
    listing = run(DAT, "-l", datafile)
    if listing.returncode != 0:
        raise AssertionError(f"dat -l {datafile} failed: {listing.stderr}")
    return PATCH_LINE.findall(listing.stdout)


class TunePatches(unittest.TestCase):

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="vs-tune-patches-"))
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.tunes = tunes()
        self.assertTrue(self.tunes, "the tunes are found")
        for tune in self.tunes:
            self.assertTrue(tune.exists(), f"{tune} is built")

    def check(self, patches):
        return run(TUNE_PATCHES, "check", patches, *self.tunes)

    def without(self, name):
        """A copy of the built patches.dat with one object deleted."""
        copy = self.folder / f"without-{name}.dat"
        shutil.copy(RUN_DIR / "patches.dat", copy)
        deleted = run(DAT, "-d", copy, name)
        self.assertEqual(deleted.returncode, 0, deleted.stderr)
        return copy

    def test_the_built_patches_hold_every_instrument_the_tunes_play(self):
        result = self.check(RUN_DIR / "patches.dat")
        self.assertEqual((result.returncode, result.stderr), (0, ""))

    def test_each_patch_is_played_by_a_tune_and_its_loss_names_that_tune(self):
        names = patch_names(RUN_DIR / "patches.dat")
        self.assertTrue(names, "patches.dat holds instrument patches")
        tune_names = "|".join(re.escape(tune.name) for tune in self.tunes)
        lacks = re.compile(rf"lacks (General MIDI program|drum note) \d+, which ({tune_names}) plays")
        for name in names:
            with self.subTest(patch=name):
                result = self.check(self.without(name))
                self.assertEqual(result.returncode, 1, f"no tune plays {name}: {result.stderr}")
                self.assertRegex(result.stderr, lacks)

    def test_patches_without_their_index_or_missing_altogether_fail(self):
        result = self.check(self.without(INDEX_NAME))
        self.assertEqual(result.returncode, 1)
        self.assertIn("has no instrument index", result.stderr)

        result = self.check(self.folder / "absent.dat")
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot load", result.stderr)

    def test_a_tune_playing_an_instrument_freepats_lacks_is_refused(self):
        tones = FREEPATS / "Tone_000"
        present = {int(patch.name[:3]) for patch in tones.glob("[0-9][0-9][0-9]_*.pat")}
        absent = [n for n in range(GENERAL_MIDI_PROGRAMS) if n not in present]
        self.assertTrue(absent, "freepats lacks some General MIDI programs")
        program = absent[0]
        source = self.folder / "stray.abc"
        source.write_text(TUNE_WITH_PROGRAM.format(program=program))
        tune = self.folder / "stray.mid"
        made = run(ABC2MIDI, source, "-o", tune, "-quiet", "-silent")
        self.assertTrue(tune.exists(), made.stdout + made.stderr)

        result = run(TUNE_PATCHES, "index", FREEPATS, self.folder / "index", *self.tunes, tune)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr,
                         f"tune_patches: stray.mid plays General MIDI program {program}, "
                         "which freepats has no instrument for\n")


if __name__ == "__main__":
    unittest.main(verbosity=2)
