"""The installed game: what `cmake --install` lays out, and the launcher that plays it in a
per-player folder. Each group installs the build into a fresh prefix of its own, named with a
space and a quote so that paths the launcher carries are quoted right.

    test_install.py [-v] InstalledFiles   files, menu entry, icon and manual page (no display)
    test_install.py [-v] Launcher         the launcher, without a display and with the real game
    test_install.py [-v] PlayScript       what `make play` makes of the game's exit status
    test_install.py [-v] Packaged         the game the Debian package installed (its autopkgtest)
"""
import hashlib
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("VS_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get("VS_BUILD_DIR", SOURCE_DIR / "build"))
CMAKE = os.environ.get("VS_CMAKE", "cmake")
sys.path.insert(0, str(SOURCE_DIR / "tests" / "e2e"))

import game_screens  # noqa: E402  (found through the path set just above)
import harness  # noqa: E402

NAME = "void-sentinel"
DATAFILES = ["sprites.dat", "backgrounds.dat", "sounds.dat", "music.dat"]
SHARED_NAMES = DATAFILES + ["levels"]     # what the launcher links into the player's folder
PROGRAM = f"lib/{NAME}/{NAME}"
DATA = f"share/games/{NAME}"
LAUNCHER = f"bin/{NAME}"
DESKTOP = f"share/applications/{NAME}.desktop"
ICON = f"share/icons/hicolor/scalable/apps/{NAME}.svg"
MANUAL = f"share/man/man6/{NAME}.6"
METAINFO = "share/metainfo/invalid.void_sentinel.game.metainfo.xml"
VERSION = os.environ.get("VS_VERSION")
QUIT_STATUS = 1
ESCAPE_STATUS = 0


def run(command, env=None, **options):
    return subprocess.run([str(part) for part in command], env=env, capture_output=True,
                          text=True, timeout=120, **options)


def install(prefix, destdir=None):
    env = dict(os.environ)
    env.pop("DESTDIR", None)
    if destdir:
        env["DESTDIR"] = str(destdir)
    result = run([CMAKE, "--install", BUILD_DIR, "--prefix", prefix], env=env)
    if result.returncode != 0:
        raise AssertionError(f"cmake --install failed:\n{result.stdout}{result.stderr}")


def snapshot(root):
    """Every entry under root: a link's target, or a file's mode and digest, or a folder."""
    entries = {}
    for path in sorted(Path(root).rglob("*")):
        if path.is_symlink():
            entries[str(path.relative_to(root))] = ("link", os.readlink(path))
        elif path.is_file():
            digest = hashlib.sha256(path.read_bytes()).hexdigest()
            entries[str(path.relative_to(root))] = ("file", path.stat().st_mode, digest)
        else:
            entries[str(path.relative_to(root))] = ("folder",)
    return entries


class InstalledPrefix(unittest.TestCase):
    """A fresh install into a temporary prefix for the tests of one class."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = Path(tempfile.mkdtemp(prefix="vs-install-"))
        cls.prefix = cls.scratch / "game's prefix"
        install(cls.prefix)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def installed(self, relative):
        return self.prefix / relative


class InstalledFiles(InstalledPrefix):

    def test_program_and_data_are_laid_out_from_the_build_and_the_sources(self):
        program = self.installed(PROGRAM)
        self.assertTrue(os.access(program, os.X_OK), program)
        self.assertEqual(program.read_bytes()[:4], b"\x7fELF")
        run_dir = BUILD_DIR / "run"
        for name in DATAFILES + ["patches.dat"]:
            self.assertEqual(self.installed(f"{DATA}/{name}").read_bytes(),
                             (run_dir / name).read_bytes(), name)
        # The blank table from the sources, never the run folder's table of local scores.
        self.assertEqual(self.installed(f"{DATA}/highscores.sco").read_bytes(),
                         (SOURCE_DIR / "data/highscores.sco").read_bytes())
        levels = sorted(p.name for p in (SOURCE_DIR / "data/levels").iterdir())
        self.assertIn("level1.qlv", levels)
        self.assertEqual(sorted(p.name for p in self.installed(f"{DATA}/levels").iterdir()),
                         levels)

    def test_patches_sit_beside_the_program_as_a_relative_link_to_the_data(self):
        # Allegro's MIDI synthesiser looks for them in the program's own folder only.
        link = self.installed(f"lib/{NAME}/patches.dat")
        self.assertTrue(link.is_symlink())
        self.assertFalse(os.path.isabs(os.readlink(link)), "the link must survive a DESTDIR")
        self.assertEqual(link.resolve(), self.installed(f"{DATA}/patches.dat").resolve())

    def test_launcher_is_a_posix_shell_script_naming_this_prefix(self):
        launcher = self.installed(LAUNCHER)
        self.assertTrue(os.access(launcher, os.X_OK))
        text = launcher.read_text()
        self.assertTrue(text.startswith("#!/bin/sh\n"))
        self.assertNotRegex(text, "@[A-Z_]+@", "an unreplaced template field")
        for shell in ("sh", "dash", "bash"):
            if shutil.which(shell):
                checked = run([shell, "-n", launcher])
                self.assertEqual(checked.returncode, 0, f"{shell}: {checked.stderr}")

    def test_staged_install_names_the_final_prefix_not_the_staging_folder(self):
        stage = self.scratch / "stage"
        install("/usr", destdir=stage)
        launcher = (stage / "usr" / LAUNCHER).read_text()
        self.assertIn(f"'/usr/lib/{NAME}'", launcher)
        self.assertIn(f"'/usr/{DATA}'", launcher)
        self.assertNotIn(str(stage), launcher)
        link = stage / f"usr/lib/{NAME}/patches.dat"
        self.assertEqual(link.resolve(), (stage / f"usr/{DATA}/patches.dat").resolve())

    def test_menu_entry_is_valid_and_names_the_launcher_and_icon(self):
        desktop = self.installed(DESKTOP)
        checked = run(["desktop-file-validate", desktop])
        self.assertEqual((checked.returncode, checked.stdout + checked.stderr), (0, ""))
        fields = dict(line.split("=", 1) for line in desktop.read_text().splitlines()
                      if "=" in line)
        self.assertEqual(self.installed("bin") / fields["Exec"].split()[0],
                         self.installed(LAUNCHER))
        self.assertEqual(fields["Icon"], Path(ICON).stem)
        self.assertEqual(fields["Terminal"], "false")
        self.assertEqual(fields["StartupWMClass"], NAME)

    def test_icon_is_a_square_svg_picture(self):
        root = ElementTree.parse(self.installed(ICON)).getroot()
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg")
        _, _, width, height = (float(n) for n in root.get("viewBox").split())
        self.assertEqual(width, height)
        self.assertGreater(len(list(root.iter())), 10)

    def test_manual_page_renders_without_warnings_and_has_a_whatis_line(self):
        page = self.installed(MANUAL)
        env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
        shown = run(["man", "--warnings", "-l", page], env=env)
        self.assertEqual((shown.returncode, shown.stderr), (0, ""))
        for heading in ("NAME", "KEYS", "FILES", "EXIT STATUS", "AUTHOR", "SEE ALSO"):
            self.assertIn(f"\n{heading}\n", shown.stdout)
        self.assertIn(f"Void Sentinel {VERSION}", shown.stdout.splitlines()[-1])
        whatis = run(["lexgrog", page])
        self.assertEqual(whatis.returncode, 0, whatis.stdout + whatis.stderr)
        self.assertIn(f'"{NAME} - ', whatis.stdout)
        # The folders of this install, not those of some other prefix.
        for folder in (DATA, f"lib/{NAME}"):
            self.assertIn(f"\n.I {self.installed(folder)}/", page.read_text())

    def test_metainfo_is_valid_and_names_this_release_the_menu_entry_and_our_screenshots(self):
        metainfo = self.installed(METAINFO)
        # Offline: the screenshots' host is a reserved name that never resolves.
        checked = run(["appstreamcli", "validate", "--no-net", "--no-color", metainfo])
        self.assertEqual(checked.returncode, 0, checked.stdout)
        self.assertNotRegex(checked.stdout, "(?m)^[EW]:")
        root = ElementTree.parse(metainfo).getroot()
        changelog = (SOURCE_DIR / "debian/changelog").read_text().split("\n", 1)[0]
        self.assertEqual(changelog.split("(")[1].split(")")[0], VERSION)
        self.assertEqual(root.find("releases/release").get("version"), VERSION)
        # What a player reads beside it: where the scores are kept, and this release's news first.
        docs = self.installed(f"share/doc/{NAME}")
        self.assertIn(f"~/.local/share/{NAME}", (docs / "README").read_text())
        self.assertTrue((docs / "NEWS").read_text().startswith(f"Void Sentinel {VERSION}, "))
        self.assertEqual(root.find("launchable").text, Path(DESKTOP).name)
        images = [image.text for image in root.iter("image")]
        self.assertTrue(images)
        for url in images:
            self.assertTrue((SOURCE_DIR / url.split("/", 3)[3]).is_file(), url)


class Launcher(InstalledPrefix):
    """The launcher run as a player would: without a display the game stops at once (status
    1), which is enough to see the folder it prepared; under Xvfb the real game plays."""

    def setUp(self):
        self.before = snapshot(self.prefix)
        self.home = Path(tempfile.mkdtemp(prefix="vs-home-"))
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)

    def tearDown(self):
        self.assertEqual(snapshot(self.prefix), self.before, "the installed files changed")

    def launch_without_display(self, launcher=None, starts=1, **env_changes):
        """The launcher (this class's by default) run `starts` times at once, as a double click
        does twice: their one result."""
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "XDG_DATA_HOME")}
        env["HOME"] = str(self.home)
        for key, value in env_changes.items():
            if value is None:
                env.pop(key, None)
            else:
                env[key] = str(value)
        command = [str(launcher or self.installed(LAUNCHER))]
        launches = [subprocess.Popen(command, env=env, cwd=self.home, text=True,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                    for _ in range(starts)]
        results = {(*launch.communicate(timeout=120), launch.returncode) for launch in launches}
        self.assertEqual(len(results), 1, f"starts at once ended differently: {results}")
        (stdout, stderr, status), = results
        return subprocess.CompletedProcess(command, status, stdout, stderr)

    def assert_prepared(self, user_dir, blank_scores=True):
        for name in SHARED_NAMES:
            link = user_dir / name
            self.assertTrue(link.is_symlink(), link)
            self.assertEqual(Path(os.readlink(link)), self.installed(f"{DATA}/{name}"))
        scores = user_dir / "highscores.sco"
        self.assertFalse(scores.is_symlink())
        self.assertTrue(scores.stat().st_mode & stat.S_IWUSR, "the game must be able to save")
        if blank_scores:
            self.assertEqual(scores.read_bytes(),
                             self.installed(f"{DATA}/highscores.sco").read_bytes())

    def test_folder_under_local_share_when_xdg_data_home_is_unset_empty_or_relative(self):
        for xdg in (None, "", "relative/place"):
            with self.subTest(XDG_DATA_HOME=xdg):
                shutil.rmtree(self.home / ".local", ignore_errors=True)
                result = self.launch_without_display(XDG_DATA_HOME=xdg)
                # The game itself ran, in the prepared folder, and stopped for want of X.
                self.assertEqual(result.returncode, QUIT_STATUS)
                self.assertIn("X display", result.stdout + result.stderr)
                self.assert_prepared(self.home / ".local/share" / NAME)
                self.assertEqual((self.home / ".local/share").stat().st_mode & 0o777, 0o700)
                self.assertFalse((self.home / "relative").exists())

    def test_a_second_start_renews_links_and_keeps_the_players_own_files(self):
        user_dir = self.home / "xdg" / NAME
        user_dir.mkdir(parents=True)
        (user_dir / "sprites.dat").symlink_to("/nonexistent/old-install/sprites.dat")
        (user_dir / "music.dat").symlink_to(self.home)
        own_levels = user_dir / "levels"
        own_levels.mkdir()
        (own_levels / "level1.qlv").write_text("0\nlevels\\level1.qlv\nlevels\\level1.qlv\n")
        scores = user_dir / "highscores.sco"
        scores.write_bytes(harness.scores_text([("Mine", 77)] * 10).encode())
        kept = snapshot(user_dir / "levels"), scores.read_bytes()

        # Several starts at once, each renewing the same links, all reach the game.
        for _ in range(3):
            result = self.launch_without_display(starts=8, XDG_DATA_HOME=self.home / "xdg")
            self.assertEqual(result.returncode, QUIT_STATUS)
            self.assertIn("X display", result.stdout + result.stderr)
        for name in DATAFILES:
            self.assertEqual(Path(os.readlink(user_dir / name)),
                             self.installed(f"{DATA}/{name}"))
        self.assertFalse(own_levels.is_symlink())
        self.assertEqual((snapshot(own_levels), scores.read_bytes()), kept)

    def test_a_folder_that_cannot_be_made_or_no_home_is_reported_and_nothing_runs(self):
        blocker = self.home / "a-file"
        blocker.write_text("not a folder\n")
        (self.home / "taken").mkdir()
        (self.home / "taken" / NAME).write_text("")
        cases = {"under a file": dict(XDG_DATA_HOME=blocker / "data"),
                 "a file of its name": dict(XDG_DATA_HOME=f"{self.home}/taken//"),
                 "the installed data": dict(XDG_DATA_HOME=self.installed("share/games")),
                 "no HOME": dict(XDG_DATA_HOME=None, HOME=None),
                 "data missing": dict(XDG_DATA_HOME=self.home / "xdg", missing="levels")}
        # Standard error is a pipe here, as when started from the menu: the text is shown in
        # a box too, by notify-send when there is one, else by xmessage.
        boxes = Path(tempfile.mkdtemp(prefix="vs-boxes-"))
        self.addCleanup(shutil.rmtree, boxes, ignore_errors=True)
        for case, env_changes in cases.items():
            for box in ("xmessage", "notify-send"):
                with self.subTest(case, box=box):
                    shutil.rmtree(boxes, ignore_errors=True)
                    boxes.mkdir()
                    for name in ("xmessage", "notify-send")[:1 + (box == "notify-send")]:
                        (boxes / name).write_text(f"#!/bin/sh\nfor text; do :; done\n"
                                                  f"printf '%s' \"$text\" > '{boxes}/{name}.log'\n")
                        (boxes / name).chmod(0o755)
                    result = self.launch_missing(env_changes, PATH=f"{boxes}:{os.environ['PATH']}")
                    self.assertEqual(result.returncode, 1)
                    self.assertRegex(result.stderr, f"^{NAME}: [^\n]+\n$")
                    self.assertNotIn("//", result.stderr)
                    self.assertNotIn("X display", result.stdout + result.stderr)
                    shown = {p.stem: p.read_text() for p in boxes.glob("*.log")}
                    self.assertEqual(shown, {box: result.stderr.strip()})
        self.assertEqual(blocker.read_text(), "not a folder\n")
        self.assertFalse((self.home / "xdg" / NAME).exists())

    def test_installing_again_into_the_players_own_prefix_keeps_their_table(self):
        # The home install: the prefix ~/.local holds the player's folder as well.
        prefix, table = self.home / ".local", harness.scores_text([("Mine", 77)] * 10).encode()
        install(prefix)
        self.assertEqual(self.launch_without_display(prefix / LAUNCHER).returncode, QUIT_STATUS)
        (prefix / "share" / NAME / "highscores.sco").write_bytes(table)
        install(prefix)
        self.assertEqual((prefix / "share" / NAME / "highscores.sco").read_bytes(), table)

    def launch_missing(self, env_changes, **more):
        """Launches with env_changes, with the installed data named `missing` moved away."""
        env_changes = dict(env_changes, **more)
        missing = env_changes.pop("missing", None)
        if missing is None:
            return self.launch_without_display(**env_changes)
        data = self.installed(f"{DATA}/{missing}")
        data.rename(data.with_name("moved"))
        try:
            return self.launch_without_display(**env_changes)
        finally:
            data.with_name("moved").rename(data)

    def test_scores_land_in_the_players_own_table_and_stay_there(self):
        data_home = self.home / "xdg"
        env = dict(HOME=str(self.home), XDG_DATA_HOME=str(data_home))
        with harness.Display() as display:
            three_starts_keep_the_scores(
                self, lambda journey: CommandGame(display, f"install-{journey}",
                                                  [self.installed(LAUNCHER)], env),
                data_home / NAME / "highscores.sco", "Tester",
                while_on_the_menu=lambda: self.assert_prepared(data_home / NAME))
        self.assert_prepared(data_home / NAME, blank_scores=False)


class Packaged(unittest.TestCase):
    """The game the Debian package installed, as its autopkgtest starts it."""

    def test_the_window_reaches_the_title_menu_and_quit_ends_the_game(self):
        home = tempfile.mkdtemp(prefix="vs-home-")
        self.addCleanup(shutil.rmtree, home, ignore_errors=True)
        with harness.Display() as display:
            with CommandGame(display, "packaged", ["/usr/games/void-sentinel"],
                             {"HOME": home}) as game:
                first_start(self, game)


class PlayScript(unittest.TestCase):
    """scripts/play.sh, the last step of `make play`, with a stand-in game: the game's Quit
    status is no failure of make play, a death by a signal is reported and passed on."""

    def test_quit_is_no_failure_and_a_crash_is_reported(self):
        cases = {"exit 1": (0, None), "exit 0": (0, None), "exit 3": (3, None),
                 "kill -SEGV $$": (128 + 11, "Void Sentinel was killed by signal 11 (SIGSEGV)")}
        run_dir = Path(tempfile.mkdtemp(prefix="vs-play-"))
        self.addCleanup(shutil.rmtree, run_dir, ignore_errors=True)
        game = run_dir / NAME
        for ending, (status, report) in cases.items():
            with self.subTest(ending):
                game.write_text(f"#!/bin/sh\n{ending}\n")
                game.chmod(0o755)
                result = run(["bash", SOURCE_DIR / "scripts/play.sh"],
                             env=dict(os.environ, VS_RUN_DIR=str(run_dir), DISPLAY=":0"))
                self.assertEqual(result.returncode, status)
                if report:
                    self.assertIn(report, result.stderr)
                else:
                    self.assertEqual(result.stderr, "")


def quit_from_menu(game):
    """Down from wherever the cursor is to "Quit", Enter, and the exit status of what was started
    (the launcher passes the game's on)."""
    rows = game_screens.CURSOR_ROWS
    shot = game.wait_for("the menu", lambda shot: game_screens.shows_menu(shot)
                         and game_screens.cursor_row(shot) in rows)
    for row in rows[rows.index(game_screens.cursor_row(shot)) + 1:]:
        game_screens.move_cursor(game, "Down", row)
    return game.press_to_exit("Return")


def first_start(test, game, while_on_the_menu=None, quit_status=QUIT_STATUS):
    """The game's own window (its class and icon) reaches the title menu, and Quit ends what
    was started with `quit_status`, and no message box."""
    game_screens.start_to_menu(game)
    window = run(["xprop", "-id", game.window, "WM_CLASS", "WM_HINTS"], env=game.x_env).stdout
    test.assertIn(f'WM_CLASS(STRING) = "{NAME}", "{NAME}"', window)
    test.assertIn("bitmap id # to use for icon", window)
    if while_on_the_menu:
        while_on_the_menu()
    test.assertEqual(quit_from_menu(game), quit_status)
    test.assertEqual(game.messages(), [])


def three_starts_keep_the_scores(test, start_game, scores, name, while_on_the_menu=None):
    """What every install of the game is held to. A first start opens the game's own window
    (its class and icon) and prepares the player's folder, and Quit ends it; a score entered in
    a second game is in the player's table; a third start shows it and keeps the file.
    start_game(journey) gives a game not yet started; `scores` is the player's table."""
    with start_game("first-start") as game:
        first_start(test, game, while_on_the_menu)

    # A table that even 0 points beat, so ending a new game at once enters a score.
    beaten = [(f"Old{i}", -10 * i) for i in range(1, 11)]
    scores.write_bytes(harness.scores_text(beaten).encode())
    with start_game("score-entry") as game:
        game_screens.start_to_menu(game)
        # Play follows the menu at once: Escape once the menu is gone ends it.
        game.press("Return", "play", lambda shot: not game_screens.shows_menu(shot), keep="play")
        game.press("Escape", "the name entry", game_screens.shows_name_entry, keep="entry")
        game.type_text(name)
        game.tap("Return")
        shot = game.wait_for("the table", game_screens.shows_table, keep="table")
        test.assertEqual(game_screens.table_rows(shot)[0], (name, "0"))
        game.tap(game_screens.ANY_KEY)
        test.assertEqual(game.wait_exit(), ESCAPE_STATUS)
    entered = harness.scores_text([(name, 0)] + beaten[:9]).encode()
    test.assertEqual(scores.read_bytes(), entered)

    with start_game("third-start") as game:
        game_screens.start_to_menu(game)
        game_screens.move_cursor(game, "Down", game_screens.HIGH_SCORES)
        shot = game.press("Return", "the table", game_screens.shows_table, keep="table")
        test.assertEqual(game_screens.table_rows(shot)[:2], [(name, "0"), ("Old1", "-10")])
        game.tap(game_screens.ANY_KEY)
        test.assertEqual(quit_from_menu(game), QUIT_STATUS)
        test.assertEqual(game.messages(), [])
    test.assertEqual(scores.read_bytes(), entered)


class CommandGame(harness.Game):
    """The harness's game started by a command (the installed launcher, say), not from a copy
    of the run folder; its stand-ins in a folder of its own, env_changes over its environment."""

    def __init__(self, display, journey, command, env_changes, folder=None):
        self.display, self.journey, self.command = display, journey, command
        self.artifacts = harness.ARTIFACTS / journey
        shutil.rmtree(self.artifacts, ignore_errors=True)
        self.artifacts.mkdir(parents=True)
        self.folder = Path(folder or tempfile.mkdtemp(prefix="vs-command-"))
        self.run_dir = self.folder
        self.process = self.window = self.last_shot = self.status = None
        self._set_up_environment(sound=True)
        self.env.update(env_changes)

    def start(self):
        if self.process is not None:
            return self
        self.stdout = open(self.artifacts / "stdout.txt", "wb")
        self.stderr = open(self.artifacts / "stderr.txt", "wb")
        self.process = subprocess.Popen([str(part) for part in self.command], cwd="/",
                                        env=self.env, stdout=self.stdout, stderr=self.stderr,
                                        stdin=subprocess.DEVNULL, start_new_session=True)
        return self


if __name__ == "__main__":
    unittest.main()
