#!/usr/bin/env bash
# Builds the Debian package from a copy of the tree (so the build leaves nothing in it), puts
# void-sentinel_<version>_<arch>.deb into the build folder and checks it: lintian must find no
# error and no warning, and appstreamcli must accept the software centres' description.
#
#   make-deb.sh BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir="$(pwd)"
build="$(mkdir -p "${1:-build}" && cd "${1:-build}" && pwd)"
work="$build/deb"

die() {
    echo "make-deb: $*" >&2
    exit 1
}

git -C "$source_dir" rev-parse --is-inside-work-tree > /dev/null 2>&1 ||
    die "needs a git checkout: the package is built from the files git knows"
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
arch=$(dpkg --print-architecture)
deb=void-sentinel_${version}_${arch}.deb

# The files git tracks or would track (uncommitted edits included), never build folders.
rm -rf "$work"
mkdir -p "$work/void-sentinel-$version"
git ls-files -z --cached --others --exclude-standard |
    xargs -0 -I{} sh -c 'test -e "$1" && printf "%s\0" "$1"' - {} |
    tar --null -T - -cf - | tar -C "$work/void-sentinel-$version" -xf -

echo "== dpkg-buildpackage (log in $work/build.log)"
(cd "$work/void-sentinel-$version" && dpkg-buildpackage -b -us -uc) > "$work/build.log" 2>&1 || {
    tail -n 40 "$work/build.log" >&2
    die "dpkg-buildpackage failed"
}
cp "$work/$deb" "$build/$deb"

echo "== lintian"
lintian --fail-on error,warning --display-info "$work"/void-sentinel_"${version}"_"${arch}".changes ||
    die "lintian found errors or warnings"

# Offline: the project has no web address, so the screenshot addresses cannot be fetched.
echo "== appstreamcli validate"
metainfo_dir="$work/metainfo"
rm -rf "$metainfo_dir"
dpkg-deb -x "$build/$deb" "$metainfo_dir"
appstreamcli validate --no-net "$metainfo_dir"/usr/share/metainfo/*.metainfo.xml ||
    die "appstreamcli rejected the metainfo"

echo "== $build/$deb"
dpkg-deb --info "$build/$deb" | grep -E '^ (Package|Version|Architecture|Installed-Size|Depends|Recommends|Built-Using):'
ls -l "$build/$deb"
