#!/usr/bin/env bash
# A player's machine in a folder: a minimal Debian 12 root (debootstrap's minbase) in which the
# README's `make play` and the Debian package are tried the way a new player would try them.
#
#   stock-root.sh image TARBALL         make the minimal root once and keep it as TARBALL
#   stock-root.sh play TARBALL          add git and make, clone this repository, run `make play`
#                                       under Xvfb until the window appears, then Quit from the menu
#   stock-root.sh package TARBALL DEB   install DEB with apt, then play it as an ordinary user
#   stock-root.sh run TARBALL COMMAND   add git and make, clone, run COMMAND in the clone
#   stock-root.sh check BUILD           all of it: the image cached in BUILD/stock, `make play`,
#                                       `make deb` into BUILD and the package test
#
# Needs root (chroot and mounts) and the Debian archive. Every root made here is unmounted and
# removed on the way out, whatever happens.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
suite=bookworm
player=player
clone=/root/void-sentinel
roots=()
stock_test=$source_dir/tests/install/test_stock_root.py

die() {
    echo "stock-root: $*" >&2
    exit 1
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

# The archive this machine's apt uses: a player's machine would use the same one.
mirror() {
    local uri
    uri=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2> /dev/null ||
        true)
    echo "${uri:-http://deb.debian.org/debian}"
}

make_image() {
    local tarball=$1
    [ -s "$tarball" ] && return 0
    command -v debootstrap > /dev/null ||
        die "debootstrap is missing (scripts/install-deps.sh test installs it)"
    local work
    work=$(mktemp -d "$(dirname "$tarball")/debootstrap.XXXXXX")
    roots+=("$work")
    echo "== debootstrap --variant=minbase $suite from $(mirror)"
    logged "$work.log" "debootstrap failed" \
        debootstrap --variant=minbase "$suite" "$work/root" "$(mirror)"
    tar --numeric-owner -C "$work/root" -cf "$tarball.part" .
    mv "$tarball.part" "$tarball"
    close_root "$work"
}

# Mount points under a root, deepest first.
mounts_under() {
    awk -v root="$1" 'index($5, root "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

# Unpacks a fresh root from the image and mounts what a running system has; with "x", the
# host's X sockets too, so that a game inside can open a window on an Xvfb started outside.
open_root() {
    local tarball=$1 root=$2 with_x=${3:-}
    mkdir -p "$root"
    roots+=("$root")
    tar --numeric-owner -C "$root" -xf "$tarball"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"
    mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys"
    if [ "$with_x" = x ]; then
        mkdir -p "$root/tmp/.X11-unix"
        mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    fi
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
        rm -f "$root/etc/apt/sources.list"
    fi
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

# What a player does before the README: git and make from apt, then a clone of the repository
# (a bundle of this tree's HEAD, so that any checkout, a worktree too, can be cloned from).
add_git_make_and_clone() {
    local root=$1
    logged "$root.apt.log" "apt-get install git make failed in the stock root" \
        in_root "$root" sh -c 'apt-get update -qq && apt-get install -y -qq git make'
    git -C "$source_dir" bundle create "$root/root/source.bundle" HEAD 2> /dev/null
    in_root "$root" git -c advice.detachedHead=false clone -q /root/source.bundle "$clone"
}

# The folder for the root NAME beside the image, cleared of whatever an interrupted run left.
stage_root() {
    local base
    base=$(dirname "$1")/$2
    close_root "$base" 2> /dev/null || true
    echo "$base"
}

play() {
    local tarball=$1 root
    root=$(stage_root "$tarball" root-play)
    open_root "$tarball" "$root" x
    add_git_make_and_clone "$root"
    echo "== make play in the stock root"
    VS_STOCK_ROOT=$root VS_STOCK_CLONE=$clone python3 "$stock_test" -v MakePlay
}

package() {
    local tarball=$1 deb=$2 root
    [ -f "$deb" ] || die "no package $deb (make deb)"
    root=$(stage_root "$tarball" root-package)
    open_root "$tarball" "$root" x
    echo "== apt install ./$(basename "$deb") in the stock root"
    cp "$deb" "$root/tmp/"
    logged "$root.apt.log" "the package did not install in the stock root" \
        in_root "$root" sh -c "apt-get update -qq && apt-get install -y -qq ./tmp/$(basename "$deb")"
    in_root "$root" useradd --create-home --shell /bin/sh "$player"
    VS_STOCK_ROOT=$root VS_STOCK_PLAYER=$player python3 "$stock_test" -v Package
}

run() {
    local tarball=$1 root
    shift
    root=$(stage_root "$tarball" root-run)
    open_root "$tarball" "$root"
    add_git_make_and_clone "$root"
    echo "== $* in the stock root"
    in_root "$root" sh -c "cd $clone && $*"
}

check() {
    local build=$1 stock tarball deb
    stock=$build/stock
    mkdir -p "$stock"
    tarball=$stock/$suite-minbase.tar
    make_image "$tarball"
    play "$tarball"
    make -C "$source_dir" deb BUILD="$build"
    deb=$build/void-sentinel_$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
    deb=${deb}_$(dpkg --print-architecture).deb
    package "$tarball" "$deb"
}

[ "$(id -u)" -eq 0 ] || die "needs root, for chroot and mounts"
command=${1:-}
case $command in
    image) [ $# -eq 2 ] || die "usage: stock-root.sh image TARBALL"
        make_image "$(realpath -m "$2")" ;;
    play) [ $# -eq 2 ] || die "usage: stock-root.sh play TARBALL"; play "$(realpath "$2")" ;;
    package) [ $# -eq 3 ] || die "usage: stock-root.sh package TARBALL DEB"
        package "$(realpath "$2")" "$(realpath "$3")" ;;
    run) [ $# -eq 3 ] || die "usage: stock-root.sh run TARBALL COMMAND"
        run "$(realpath "$2")" "$3" ;;
    check) [ $# -eq 2 ] || die "usage: stock-root.sh check BUILD"
        mkdir -p "$2"
        check "$(realpath "$2")" ;;
    *) die "usage: stock-root.sh image|play|package|run|check ... (see the head of this script)" ;;
esac
