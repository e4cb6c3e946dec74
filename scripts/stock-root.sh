#!/usr/bin/env bash
# A player's machine in a folder: a minimal Debian root (debootstrap's minbase) of a release
# players run, in which the README's `make play` and the Debian packages are tried the way a
# new player would try them.
#
#   stock-root.sh check BUILD SUITE...      for each suite (bookworm, trixie, forky, ...): in one
#                                           root, git and make, a clone of this repository,
#                                           `make play` under Xvfb until the window appears and
#                                           Quit, then `make deb`; in a fresh root, those packages
#                                           installed with apt, played by an ordinary user, and
#                                           their autopkgtest
#   stock-root.sh run BUILD SUITE COMMAND   a fresh root with git, make and a clone: COMMAND there
#   stock-root.sh image BUILD SUITE         only the suite's image
#
# Each suite's image is kept in BUILD/stock/SUITE-minbase.tar, and the packages its roots
# download in BUILD/stock/apt/SUITE, so only the first run downloads them. The archive is the
# one this machine's apt uses; on a machine with none, debootstrap's own default. Needs root
# (chroot and mounts). Every root made here is unmounted and removed on the way out.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
player=player
clone=/root/void-sentinel
source_copy=/root/void-sentinel-source
roots=()
stock_test=$source_dir/tests/install/test_stock_root.py
started=$SECONDS

die() {
    echo "stock-root: $*" >&2
    exit 1
}

step() {
    echo "== [$((SECONDS - started)) s] $*"
}

# Runs a command with its output in LOG; on failure shows the log's end and stops with WHAT.
logged() {
    local log=$1 what=$2
    shift 2
    "$@" > "$log" 2>&1 || {
        tail -n 30 "$log" >&2
        die "$what"
    }
}

# The archive of the first entry, in apt's deb822 sources on standard input, that serves
# RELEASE (or a suite named for its role).
deb822_archive() {
    awk -v release="$1" '
        function serves(suites,   n, i, word) {
            n = split(suites, word, " ")
            for (i = 1; i <= n; i++)
                if (word[i] == release || word[i] ~ /^(stable|testing|unstable|sid)$/) return 1
            return 0
        }
        function stanza_end() {
            if (types ~ /(^| )deb( |$)/ && enabled != "no" && uri != "" && serves(suites)) {
                print uri
                types = ""
                exit
            }
            types = uri = suites = enabled = ""
        }
        /^[ \t]*$/ { stanza_end(); next }
        /^[ \t]*#/ { next }
        tolower($1) == "types:" { sub(/^[^:]*:[ \t]*/, ""); types = $0 }
        tolower($1) == "uris:" { uri = $2 }
        tolower($1) == "suites:" { sub(/^[^:]*:[ \t]*/, ""); suites = $0 }
        tolower($1) == "enabled:" { enabled = tolower($2) }
        END { stanza_end() }'
}

# The same from one-line sources ("deb [options] URI SUITE COMPONENTS...").
one_line_archive() {
    awk -v release="$1" '
        $1 == "deb" {
            field = 2
            if ($2 ~ /^\[/) while (field <= NF && $(field - 1) !~ /\]$/) field++
            if ($(field + 1) == release || $(field + 1) ~ /^(stable|testing|unstable|sid)$/) {
                print $field
                exit
            }
        }'
}

# The Debian archive this machine's apt uses: the entry of its sources that serves its own
# release. Empty when there is none, or when this machine is not Debian.
archive() {
    local id codename uri
    id=$(. /etc/os-release 2> /dev/null && echo "${ID:-}")
    codename=$(. /etc/os-release 2> /dev/null && echo "${VERSION_CODENAME:-}")
    [ "$id" = debian ] || return 0
    uri=$(cat /etc/apt/sources.list.d/*.sources 2> /dev/null | deb822_archive "$codename")
    [ -n "$uri" ] ||
        uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2> /dev/null |
            one_line_archive "$codename")
    echo "$uri"
}

make_image() {
    local suite=$1 tarball=$2 work mirror script=""
    [ -s "$tarball" ] && return 0
    command -v debootstrap > /dev/null ||
        die "debootstrap is missing (scripts/install-deps.sh test installs it)"
    mirror=$(archive)
    # A debootstrap older than the suite knows it as the development release it grew from.
    [ -e "/usr/share/debootstrap/scripts/$suite" ] || script=sid
    work=$(mktemp -d "$(dirname "$tarball")/debootstrap.XXXXXX")
    roots+=("$work")
    step "debootstrap --variant=minbase $suite from ${mirror:-the default archive of debootstrap}"
    logged "$work.log" "debootstrap $suite failed" \
        debootstrap --variant=minbase "$suite" "$work/root" "$mirror" $script
    tar --numeric-owner -C "$work/root" -cf "$tarball.part" .
    mv "$tarball.part" "$tarball"
    close_root "$work"
}

# Mount points under a root, deepest first.
mounts_under() {
    awk -v root="$1" 'index($5, root "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

# Unpacks a fresh root from the suite's image and mounts what a running system has, and the
# suite's package cache; with "x", the host's X sockets too, so that a game inside can open a
# window on an Xvfb started outside. The root keeps the sources debootstrap wrote for it.
open_root() {
    local stock=$1 suite=$2 root=$3 with_x=${4:-} cache
    close_root "$root" 2> /dev/null || true
    mkdir -p "$root"
    roots+=("$root")
    tar --numeric-owner -C "$root" -xf "$stock/$suite-minbase.tar"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"
    mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys"
    if [ "$with_x" = x ]; then
        # On a machine that has run no X server yet, the folder its sockets go in is made here.
        [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
        mkdir -p "$root/tmp/.X11-unix"
        mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    fi
    # Packages and lists are checked against the root's own sources whatever the cache holds.
    for cache in /var/cache/apt/archives /var/lib/apt/lists; do
        mkdir -p "$stock/apt/$suite$cache/partial" "$root$cache"
        mount --bind "$stock/apt/$suite$cache" "$root$cache"
    done
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # A testing release's lists carry a date they expire on; an archive that is a frozen copy,
    # or a clock ahead of it, would leave apt refusing them. Stable releases carry none.
    echo 'Acquire::Check-Valid-Until "false";' > "$root/etc/apt/apt.conf.d/50stock-root"
}

# Lazy unmounts, then removal only once nothing is mounted below: a bind of a folder on the
# same file system would otherwise let rm reach into the host's own files.
close_root() {
    local root=$1 point
    [ -d "$root" ] || return 0
    for point in $(mounts_under "$root"); do
        umount -l "$point" || true
    done
    if [ -n "$(mounts_under "$root")" ]; then
        echo "stock-root: $root still has mounts; left in place" >&2
        return 1
    fi
    rm -rf --one-file-system "$root"
}

close_all() {
    local root
    for root in "${roots[@]}"; do
        close_root "$root" || true
    done
}
trap close_all EXIT

# Runs a command inside the root with the bare environment of a fresh root shell.
in_root() {
    local root=$1
    shift
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

apt_in_root() {
    local root=$1 what=$2
    shift 2
    logged "$root.apt.log" "$what" in_root "$root" sh -c \
        'apt-get update -qq && apt-get install -y -qq "$@"' - "$@"
}

# What a player does before the README: git and make from apt, then a clone of the repository
# (a bundle of this tree's HEAD, so that any checkout, a worktree too, can be cloned from).
add_git_make_and_clone() {
    local root=$1
    apt_in_root "$root" "apt-get install git make failed in the stock root" git make
    git -C "$source_dir" bundle create "$root/root/source.bundle" HEAD 2> /dev/null
    in_root "$root" git -c advice.detachedHead=false clone -q /root/source.bundle "$clone"
}

# `make play` until the window and Quit, then `make deb`, in one root; the packages and the
# source package's tree are kept in STOCK/SUITE for the package root.
play_and_build() {
    local stock=$1 suite=$2
    local root=$stock/root-$suite-play out=$stock/$suite
    open_root "$stock" "$suite" "$root" x
    add_git_make_and_clone "$root"
    step "make play in the $suite root"
    VS_STOCK_ROOT=$root VS_STOCK_CLONE=$clone python3 "$stock_test" -v MakePlay
    step "make deb in the $suite root"
    logged "$root.deb.log" "make deb failed in the $suite root" in_root "$root" make -C "$clone" deb
    sed -n '/^== dpkg-buildpackage/,$p' "$root.deb.log"
    rm -rf "$out"
    mkdir -p "$out/source"
    cp "$root$clone"/build/*.deb "$out/"
    tar -C "$out/source" --strip-components=1 -xf "$root$clone"/build/deb/void-sentinel_*.tar.xz
    close_root "$root"
}

# The packages installed with apt in a fresh root, played by an ordinary user, then their
# autopkgtest (whose own virtual display needs no X from outside).
install_and_play() {
    local stock=$1 suite=$2 deb debs=()
    local root=$stock/root-$suite-package out=$stock/$suite
    open_root "$stock" "$suite" "$root" x
    step "apt install the $suite packages in a fresh $suite root"
    mkdir -p "$root/tmp/packages"
    for deb in "$out"/void-sentinel_*.deb "$out"/void-sentinel-data_*.deb; do
        cp "$deb" "$root/tmp/packages/"
        debs+=("/tmp/packages/${deb##*/}")
    done
    apt_in_root "$root" "the packages did not install in the $suite root" "${debs[@]}"
    in_root "$root" useradd --create-home --shell /bin/sh "$player"
    step "the package played by an ordinary user"
    VS_STOCK_ROOT=$root VS_STOCK_PLAYER=$player python3 "$stock_test" -v Package
    step "autopkgtest in the $suite root"
    umount -l "$root/tmp/.X11-unix"
    cp -a "$out/source" "$root$source_copy"
    apt_in_root "$root" "autopkgtest did not install in the $suite root" autopkgtest
    in_root "$root" autopkgtest --no-built-binaries "$source_copy" -- null
    close_root "$root"
}

check_suite() {
    local build=$1 suite=$2
    make_image "$suite" "$build/stock/$suite-minbase.tar"
    play_and_build "$build/stock" "$suite"
    install_and_play "$build/stock" "$suite"
}

# The suites side by side: one's downloads and unpacking while another builds. Each writes its
# log to BUILD/stock/SUITE.log, shown whole once all are done; their steps show as they come.
check() {
    local build=$1 suite index failed=() pids=() suites=("${@:2}")
    exec 3>&1
    for suite in "${suites[@]}"; do
        (
            roots=()
            trap close_all EXIT
            step() {
                echo "== [$((SECONDS - started)) s] $*"
                echo "== [$((SECONDS - started)) s] $suite: $*" >&3
            }
            export VS_ARTIFACTS=$build/stock/$suite-artifacts
            check_suite "$build" "$suite"
        ) > "$build/stock/$suite.log" 2>&1 &
        pids+=($!)
    done
    for index in "${!suites[@]}"; do
        wait "${pids[index]}" || failed+=("${suites[index]}")
    done
    for suite in "${suites[@]}"; do
        echo "==== the $suite root: $build/stock/$suite.log"
        cat "$build/stock/$suite.log"
    done
    [ ${#failed[@]} -eq 0 ] || die "failed on ${failed[*]}"
    echo "stock-root: passed on ${suites[*]} in $((SECONDS - started)) s"
}

run() {
    local build=$1 suite=$2 root
    shift 2
    root=$build/stock/root-$suite-run
    make_image "$suite" "$build/stock/$suite-minbase.tar"
    open_root "$build/stock" "$suite" "$root"
    add_git_make_and_clone "$root"
    step "$* in the $suite root"
    in_root "$root" sh -c "cd $clone && $*"
}

[ "$(id -u)" -eq 0 ] || die "needs root, for chroot and mounts"
usage="usage: stock-root.sh check BUILD SUITE... | run BUILD SUITE COMMAND | image BUILD SUITE"
[ $# -ge 3 ] || die "$usage"
command=$1
mkdir -p "$2/stock"
build=$(realpath "$2")
shift 2
case $command in
    check) check "$build" "$@" ;;
    run) [ $# -eq 2 ] || die "$usage"; run "$build" "$1" "$2" ;;
    image) [ $# -eq 1 ] || die "$usage"; make_image "$1" "$build/stock/$1-minbase.tar" ;;
    *) die "$usage" ;;
esac
