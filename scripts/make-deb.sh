#!/usr/bin/env bash
# Builds the Debian packages from a copy of the tree (so the build leaves nothing in it): the
# program, void-sentinel_<version>_<arch>.deb, and its data, void-sentinel-data_<version>_all.deb,
# go into the build folder. Then checks them: lintian, under Debian's profile and Ubuntu's, must
# find no error and no warning in the source package or the binary ones, and appstreamcli must
# accept the software centres' description without a remark.
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
debs=(void-sentinel_"${version}"_"${arch}".deb void-sentinel-data_"${version}"_all.deb)

# The files git tracks or would track (uncommitted edits included), never build folders.
rm -rf "$work"
mkdir -p "$work/void-sentinel-$version"
git ls-files -z --cached --others --exclude-standard |
    xargs -0 -I{} sh -c 'test -e "$1" && printf "%s\0" "$1"' - {} |
    tar --null -T - -cf - | tar -C "$work/void-sentinel-$version" -xf -

echo "== dpkg-buildpackage (log in $work/build.log)"
(cd "$work/void-sentinel-$version" && dpkg-buildpackage -us -uc -Jauto) > "$work/build.log" 2>&1 || {
    tail -n 40 "$work/build.log" >&2
    die "dpkg-buildpackage failed"
}
for deb in "${debs[@]}"; do
    cp "$work/$deb" "$build/$deb"
done

# The upload names a Debian distribution, which Ubuntu's profile cannot know: that one tag
# aside, both profiles see the same source and binary packages.
for profile in debian ubuntu; do
    echo "== lintian, $profile profile"
    suppressed=""
    [ "$profile" = ubuntu ] && suppressed=bad-distribution-in-changes-file
    lintian --profile "$profile" --fail-on error,warning --display-info \
        --suppress-tags "$suppressed" "$work/void-sentinel_${version}_${arch}.changes" ||
        die "lintian found errors or warnings"
done

# Offline: the project has no web address, so the screenshot addresses cannot be fetched.
echo "== appstreamcli validate --pedantic"
metainfo_dir="$work/metainfo"
rm -rf "$metainfo_dir"
dpkg-deb -x "$build/${debs[0]}" "$metainfo_dir"
appstreamcli validate --pedantic --no-net "$metainfo_dir"/usr/share/metainfo/*.metainfo.xml ||
    die "appstreamcli rejected the metainfo"

for deb in "${debs[@]}"; do
    echo "== $build/$deb"
    dpkg-deb --info "$build/$deb" |
        grep -E '^ (Package|Version|Architecture|Installed-Size|Depends|Recommends|Built-Using):'
    ls -l "$build/$deb"
done
