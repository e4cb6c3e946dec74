#!/usr/bin/env python3
"""Mutation run: plants each catalogued bug in a scratch clone, one at a time, and asks the tests.

Every mutant in catalogue.txt is an exact piece of a source file and its replacement, as a
careless edit would make it. For each one the scratch clone is changed, rebuilt and tested with
the fast tiers (unit, hardening, soak and tools, without the display journeys); the file is then
restored. A mutant is killed when a test fails, survives when every test passes. Mutants marked
equivalent cannot change behaviour and are left out of the rates.

    tools/mutants/mutants.py                 every mutant, fast tiers
    tools/mutants/mutants.py --journeys      then the journeys on the fast tiers' survivors
    tools/mutants/mutants.py --only render   mutants whose file or text holds "render"
    tools/mutants/mutants.py --list          the catalogue's counts, nothing run
    tools/mutants/mutants.py --ref COMMIT    against an older commit's tests, for a before and
                                             after; mutants whose text it lacks are left out
    tools/mutants/mutants.py --catalogue F   another catalogue, as fresh.txt beside this one
"""
import argparse
import collections
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = HERE.parent.parent
CATALOGUE = HERE / "catalogue.txt"

# The fast tiers, cheapest first so that most mutants die within a second, and one that only
# a later tier kills does not first wait for the autopilot's campaign in the tools tier. Tests
# that need a display carry the e2e label as well and wait for the journeys.
FAST_TIERS = ["unit", "hardening", "soak", "tools"]
TEST_TIMEOUT_S = 120  # a mutant that hangs a blocking screen is killed by the timeout
# The programs each tier runs, built only once the tiers before it have passed: most mutants
# die in the unit tier, and need no other program linked. The journeys need the game as well.
TIER_PROGRAMS = {"unit": ["unit-tests"], "hardening": ["hardening-tests", "soak", "save_loop"],
                 "soak": ["soak"], "tools": ["level_checker", "pilot"]}
FAST_PROGRAMS = [program for tier in FAST_TIERS for program in TIER_PROGRAMS[tier]]
TIER_PROGRAMS["e2e"] = FAST_PROGRAMS + ["void-sentinel"]


class Mutant:
    def __init__(self, number, path, line):
        self.number = number
        self.path = path          # relative to the source tree
        self.line = line          # where the mutant starts in the catalogue
        self.original = []
        self.replacement = []
        self.equivalent = None    # the reason, for a mutant that cannot change behaviour
        self.outcome = None       # "killed", "survived", "equivalent"
        self.killer = ""

    @property
    def folder(self):
        parts = pathlib.PurePosixPath(self.path).parts
        return "/".join(parts[:2]) + "/"

    def text(self, lines):
        return "\n".join(lines)

    def describe(self):
        before = " / ".join(l.strip() for l in self.original)
        after = " / ".join(l.strip() for l in self.replacement) or "(deleted)"
        return f"#{self.number} {self.path}: {before}  ->  {after}"


def read_catalogue(path):
    """Blocks of '@ file', then '-' lines (the original) and '+' lines (its replacement), with
    an optional '= reason' for an equivalent mutant. '#' starts a comment line."""
    mutants = []
    current = None
    for number, raw in enumerate(path.read_text().splitlines(), 1):
        line = raw.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        tag, rest = line[0], line[2:] if len(line) > 1 else ""
        if tag == "@":
            current = Mutant(len(mutants) + 1, rest.strip(), number)
            mutants.append(current)
        elif current is None:
            sys.exit(f"{path}:{number}: a mutant must start with '@ file'")
        elif tag == "-":
            current.original.append(rest)
        elif tag == "+":
            current.replacement.append(rest)
        elif tag == "=":
            current.equivalent = rest.strip()
        else:
            sys.exit(f"{path}:{number}: unknown line: {line}")
    return mutants


def check_catalogue(mutants, tree):
    """Every original must stand exactly once in its file, and differ from its replacement."""
    problems = []
    for m in mutants:
        file = tree / m.path
        if not m.original:
            problems.append(f"line {m.line}: no original text")
            continue
        if not file.is_file():
            problems.append(f"line {m.line}: {m.path} does not exist")
            continue
        found = file.read_text().count(m.text(m.original))
        if found != 1:
            problems.append(f"line {m.line}: the original stands {found} times in {m.path}")
        if m.original == m.replacement:
            problems.append(f"line {m.line}: the replacement changes nothing")
    return problems


def run(command, cwd, timeout=None, quiet=True):
    result = subprocess.run(command, cwd=cwd, timeout=timeout, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE if quiet else None,
                            stderr=subprocess.STDOUT if quiet else None, text=True)
    return result.returncode, result.stdout or ""


def build(build_dir, jobs, targets=None):
    command = ["cmake", "--build", str(build_dir), "-j", str(jobs)]
    if targets:
        command += ["--target"] + targets
    code, output = run(command, build_dir)
    return code == 0, output


def tier_failure(build_dir, label, exclude, jobs):
    """The first failing test of a tier, or None when all pass. The unit tests run side by side."""
    command = ["ctest", "-L", f"^{label}$", "--stop-on-failure", "--timeout",
               str(TEST_TIMEOUT_S), "-j", str(jobs if label == "unit" else 1)]
    if exclude:
        command += ["-LE", exclude]
    try:
        code, output = run(command, build_dir, timeout=TEST_TIMEOUT_S * 4)
    except subprocess.TimeoutExpired:
        return f"{label}: timed out"
    if code != 0:
        failed = re.findall(r"\d+ - (\S+) \(", output)
        return failed[0] if failed else f"{label}: ctest status {code}"
    return None


def first_failure(build_dir, labels, exclude, jobs):
    """The first failing test of the given tiers, or None when all pass."""
    for label in labels:
        failure = tier_failure(build_dir, label, exclude, jobs)
        if failure:
            return failure
    return None


def prepare(scratch, jobs, ref):
    """A clone of the committed tree (or of ref), configured with its tests and built once."""
    print(f"scratch clone in {scratch}", flush=True)
    run(["git", "clone", "-q", str(SOURCE), str(scratch / "tree")], scratch)
    tree = scratch / "tree"
    if ref:
        code, output = run(["git", "checkout", "-q", ref], tree)
        if code != 0:
            sys.exit(f"cannot check out {ref}:\n{output}")
    build_dir = tree / "build"
    code, output = run(["cmake", "-S", str(tree), "-B", str(build_dir),
                        "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DBUILD_TESTING=ON"], tree)
    if code != 0:
        sys.exit("configure failed:\n" + output)
    ok, output = build(build_dir, jobs)
    if not ok:
        sys.exit("the unchanged tree does not build:\n" + output[-3000:])
    return tree, build_dir


def try_mutant(m, tree, build_dir, jobs, labels, exclude):
    file = tree / m.path
    original = file.read_text()
    file.write_text(original.replace(m.text(m.original), m.text(m.replacement), 1))
    try:
        for label in labels:
            ok, output = build(build_dir, jobs, TIER_PROGRAMS[label])
            if not ok:
                return "stillborn", output[-2000:]
            failure = tier_failure(build_dir, label, exclude, jobs)
            if failure:
                return "killed", failure
        return "survived", ""
    finally:
        file.write_text(original)


def report(mutants, title):
    counted = [m for m in mutants if m.outcome in ("killed", "survived")]
    by_folder = collections.OrderedDict()
    for m in sorted(counted, key=lambda m: m.folder):
        by_folder.setdefault(m.folder, []).append(m)
    print(f"\n== {title}")
    print(f"{'folder':<18}{'mutants':>8}{'killed':>8}{'rate':>8}")
    for folder, group in by_folder.items():
        killed = sum(m.outcome == "killed" for m in group)
        print(f"{folder:<18}{len(group):>8}{killed:>8}{100.0 * killed / len(group):>7.1f}%")
    killed = sum(m.outcome == "killed" for m in counted)
    if counted:
        print(f"{'all':<18}{len(counted):>8}{killed:>8}{100.0 * killed / len(counted):>7.1f}%")
    equivalent = [m for m in mutants if m.outcome == "equivalent"]
    print(f"equivalent (left out): {len(equivalent)}")
    for m in equivalent:
        print(f"  {m.describe()}\n      because {m.equivalent}")
    survivors = [m for m in counted if m.outcome == "survived"]
    print(f"survivors: {len(survivors)}")
    for m in survivors:
        print(f"  {m.describe()}")
    return survivors


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--journeys", action="store_true",
                        help="run the display journeys on the fast tiers' survivors")
    parser.add_argument("--only", help="only mutants whose file or original text holds this")
    parser.add_argument("--list", action="store_true", help="count the catalogue and stop")
    parser.add_argument("--keep", action="store_true", help="keep the scratch clone")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--ref", help="run against this commit's tree and tests instead")
    parser.add_argument("--catalogue", type=pathlib.Path, default=CATALOGUE,
                        help="the catalogue to run (default: catalogue.txt)")
    args = parser.parse_args()

    mutants = read_catalogue(args.catalogue)
    problems = check_catalogue(mutants, SOURCE)
    if problems:
        sys.exit(f"{args.catalogue.name} does not fit the tree:\n  " + "\n  ".join(problems))
    if args.only:
        mutants = [m for m in mutants if args.only in m.path or args.only in m.text(m.original)]
    folders = collections.Counter(m.folder for m in mutants)
    print(f"{len(mutants)} mutants: " + ", ".join(f"{f} {n}" for f, n in sorted(folders.items())))
    if args.list:
        return 0

    scratch = pathlib.Path(tempfile.mkdtemp(prefix="vs-mutants-"))
    started = time.monotonic()
    try:
        tree, build_dir = prepare(scratch, args.jobs, args.ref)
        if args.ref:
            missing = {id(m) for m in mutants if check_catalogue([m], tree)}
            if missing:
                print(f"{len(missing)} mutants left out: {args.ref} lacks their text")
            mutants = [m for m in mutants if id(m) not in missing]
        baseline = first_failure(build_dir, FAST_TIERS, "e2e", args.jobs)
        if baseline:
            sys.exit(f"the unchanged tree fails {baseline}: fix that first")
        stillborn = []
        for m in mutants:
            if m.equivalent:
                m.outcome = "equivalent"
                continue
            m.outcome, m.killer = try_mutant(m, tree, build_dir, args.jobs, FAST_TIERS, "e2e")
            if m.outcome == "stillborn":
                stillborn.append(m)
            print(f"{m.outcome:>9}  {m.describe()}" + (f"  [{m.killer}]" if m.outcome == "killed"
                                                      else ""), flush=True)
        if stillborn:
            print("\nThese mutants do not build; mend the catalogue:")
            for m in stillborn:
                print(f"  {m.describe()}\n{m.killer}")
        survivors = report(mutants, "fast tiers (unit, hardening, soak, tools)")

        if args.journeys and survivors:
            print("\nthe journeys on the survivors", flush=True)
            for m in survivors:
                m.outcome, m.killer = try_mutant(m, tree, build_dir, args.jobs, ["e2e"], "")
                print(f"{m.outcome:>9}  {m.describe()}" + (f"  [{m.killer}]"
                                                          if m.outcome == "killed" else ""),
                      flush=True)
            report(mutants, "fast tiers, then the journeys on their survivors (all of make test)")
        print(f"\n{time.monotonic() - started:.0f} s")
        return 1 if stillborn else 0
    finally:
        if args.keep:
            print(f"scratch clone kept in {scratch}")
        else:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
