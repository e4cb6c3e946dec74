"""The game on a player's machine: a minimal Debian root, prepared by scripts/stock-root.sh,
where the real game opens its window on an Xvfb outside the root and is driven from outside.

    test_stock_root.py [-v] MakePlay   the README's `make play` in the clone VS_STOCK_CLONE
    test_stock_root.py [-v] Package    the installed package, played by user VS_STOCK_PLAYER

VS_STOCK_ROOT names the root. Both need root, for chroot.
"""
import os
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import harness  # noqa: E402  (found through the path set just above)
from test_install import (SHARED_NAMES, CommandGame, first_start,  # noqa: E402
                          three_starts_keep_the_scores)

ROOT = Path(os.environ.get("VS_STOCK_ROOT", "/nonexistent"))
CLONE = os.environ.get("VS_STOCK_CLONE", "/root/void-sentinel")
PLAYER = os.environ.get("VS_STOCK_PLAYER", "player")
SYSTEM_PATH = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/games"
# `make play` installs the build packages and builds the game before the window opens.
MAKE_PLAY_TIMEOUT = 1800
DATA = "/usr/share/games/void-sentinel"
OUTPUT_TAIL_LINES = 40


def inside(path):
    """A path under the root as the programs inside it see it."""
    return "/" + str(Path(path).relative_to(ROOT))


class RootGame(CommandGame):
    """A game started by a command inside the root, as `user` when one is given, with the bare
    environment of a fresh login. The stand-in xmessage, the sound capture and Allegro's
    settings live in a folder of the root's /tmp, open to an ordinary user."""

    def __init__(self, display, journey, command, home, user=None):
        super().__init__(display, journey, command, {},
                         tempfile.mkdtemp(prefix="vs-harness-", dir=ROOT / "tmp"))
        # The capture file and the message log as the game inside the root names them.
        (self.folder / "alsa.conf").write_text(
            harness.ALSA_CAPTURE.format(out=inside(self.folder / "audio.raw")))
        (self.folder / "bin" / "xmessage").write_text(harness.XMESSAGE_STAND_IN.format(
            log=inside(self.message_log), status=harness.XMESSAGE_OK_STATUS))
        for path in [self.folder, *self.folder.rglob("*")]:
            path.chmod(0o777 if path.is_dir() or path.name == "xmessage" else 0o666)
        bare = {"HOME": home, "LANG": "C.UTF-8", "DEBIAN_FRONTEND": "noninteractive",
                "DISPLAY": display.name, "PATH": f"{inside(self.folder / 'bin')}:{SYSTEM_PATH}",
                "ALSA_CONFIG_PATH": inside(self.folder / "alsa.conf"),
                "ALLEGRO": inside(self.folder / "allegro")}
        self.command = ["chroot", ROOT, *(["runuser", "-u", user, "--"] if user else []),
                        "/usr/bin/env", "-i", *(f"{k}={v}" for k, v in bare.items()), *command]

    def output(self):
        """The command's output so far, standard output then standard error."""
        return "".join((self.artifacts / f"{name}.txt").read_text(errors="replace")
                       for name in ("stdout", "stderr"))

    def keep_evidence(self, reason):
        super().keep_evidence(reason)
        if self.process is not None:
            tail = self.output().splitlines()[-OUTPUT_TAIL_LINES:]
            print("\n".join(["  the last lines of its output:", *tail]), file=sys.stderr)


class MakePlay(unittest.TestCase):

    def test_make_play_opens_the_window_and_quit_ends_it_without_a_make_error(self):
        with harness.Display() as display:
            with RootGame(display, "stock-make-play", ["make", "-C", CLONE, "play"],
                          home="/root") as game:
                started = time.monotonic()
                game.start().find_window(timeout=MAKE_PLAY_TIMEOUT)
                print(f"the window appeared {time.monotonic() - started:.0f} s after make play "
                      "started", file=sys.stderr)
                # The game's Quit status is no failure of make play.
                first_start(self, game, quit_status=0)
                self.assertNotIn("make: ***", game.output())


def changed_since(moment, allowed, ignored):
    """Paths under the root (mounts and the folder `ignored` left out) whose entry changed at or
    after `moment`, other than `allowed` and what lies under it."""
    mount_table = Path("/proc/self/mountinfo").read_text().splitlines()
    mounts = {Path(line.split()[4]) for line in mount_table}
    changed = []
    for folder, subfolders, files in os.walk(ROOT):
        folder = Path(folder)
        subfolders[:] = [name for name in subfolders if folder / name not in mounts
                         and folder / name not in (ignored, allowed)]
        for path in [folder, *(folder / name for name in files)]:
            if path.lstat().st_ctime >= moment and path not in (ignored, *allowed.parents):
                changed.append(inside(path))
    return sorted(set(changed))


class Package(unittest.TestCase):
    """An ordinary user's first games with the installed package: the launcher prepares the
    player's folder, a score entered in one game is there in the next, and nothing is written
    anywhere else."""

    def test_an_ordinary_user_plays_in_their_own_folder_and_keeps_their_scores(self):
        home = f"/home/{PLAYER}"
        user_dir = ROOT / home.lstrip("/") / ".local/share/void-sentinel"
        scores = user_dir / "highscores.sco"
        uid = (ROOT / home.lstrip("/")).stat().st_uid   # useradd gave the player the home
        moment = time.time()

        def prepared():
            for name in SHARED_NAMES:
                self.assertEqual(os.readlink(user_dir / name), f"{DATA}/{name}")
            blank = ROOT / DATA.lstrip("/") / "highscores.sco"
            self.assertEqual(scores.read_bytes(), blank.read_bytes())
            self.assertEqual((scores.stat().st_uid, user_dir.stat().st_uid), (uid, uid))

        with harness.Display() as display:
            three_starts_keep_the_scores(
                self, lambda journey: RootGame(display, f"stock-package-{journey}",
                                               ["void-sentinel"], home=home, user=PLAYER),
                scores, "Player", while_on_the_menu=prepared)
        self.assertEqual(scores.stat().st_uid, uid)
        # The harness's own folders come and go in /tmp.
        self.assertEqual(changed_since(moment, user_dir, ROOT / "tmp"), [])


if __name__ == "__main__":
    unittest.main()
