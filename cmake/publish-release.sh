#!/bin/sh
# Makes a release the current one in its output folder, in one step that is
# never seen half done:
#   publish-release.sh <output folder> <release>
# <release> names a folder in <output folder>/.releases that holds the
# release's files and their SHA256SUMS (cmake/release.sh puts it together
# there). In the output folder each release file, SHA256SUMS included, is a
# symbolic link through .releases/current, a link to the current release's
# folder:
#   Setup.exe       -> .releases/current/Setup.exe
#   x64/Setup.exe   -> ../.releases/current/x64/Setup.exe
#   .releases/current -> <release>
# The links are made first (a link that is already right stays), then
# .releases/current is replaced by one rename(2): every file and SHA256SUMS
# change together. Stopped at any point, even by SIGKILL, the folder holds
# one whole release, the last one or the new one (`sha256sum -c SHA256SUMS`
# passes there), or, before the first, none.
#
# The release files of an output folder that holds them as plain files (made
# by an earlier version of cmake/release.sh) are first copied to a release
# folder of their own, which becomes the current one, and each is replaced by
# its link, which gives the same bytes. After the switch the links of files
# the new release no longer has and the other release folders (those of
# earlier releases, and of runs that were stopped) are removed. Nothing else
# in the output folder is touched: other files, also in x64/ and symbols/,
# stay. One run at a time per output folder.
set -eu
out=$1 release=$2
cd "$out"
releases=.releases
[ -f "$releases/$release/SHA256SUMS" ] || { echo "$0: no release in $out/$releases/$release" >&2; exit 1; }

# names <release folder>: the release's files, SHA256SUMS last.
names() {
    sed 's/^[0-9a-f]*  //' "$1/SHA256SUMS"
    echo SHA256SUMS
}

# target <name>: where the link <name> points, through .releases/current.
target() {
    up=$(printf '%s' "$1" | sed 's|[^/]*$||; s|[^/]*/|../|g')
    printf '%s%s/current/%s' "$up" "$releases" "$1"
}

# put_link <target> <name>: <name> becomes a link to <target> by one rename,
# whatever it was; the new link is made in .releases, so that none is left in
# the output folder when the run is stopped.
put_link() {
    if [ -L "$releases/link.new" ]; then rm -f "$releases/link.new"; fi
    ln -s "$1" "$releases/link.new"
    mv -f -T "$releases/link.new" "$2"
}

# folder_of <name> <root>: makes the folder <name> is in, under <root>.
folder_of() {
    case $1 in */*) [ -d "$2/${1%/*}" ] || mkdir -p "$2/${1%/*}" ;; esac
}

new_names=$(names "$releases/$release")
current=$(readlink "$releases/current" 2>/dev/null) || current=''
old_names=''
if [ -n "$current" ] && [ -f "$releases/$current/SHA256SUMS" ]; then
    old_names=$(names "$releases/$current")
fi

# Plain files of a release made before these links: their bytes become the
# current release's, unchanged.
if [ -z "$current" ]; then
    plain=''
    for name in $new_names; do
        if [ -f "$name" ] && [ ! -L "$name" ]; then plain="$plain $name"; fi
    done
    if [ -n "$plain" ]; then
        adopted=$(mktemp -d "$releases/adopted.XXXXXX")
        chmod "$(umask -S)" "$adopted"
        for name in $plain; do
            folder_of "$name" "$adopted"
            cp -p "$name" "$adopted/$name"
        done
        current=${adopted#"$releases"/}
        put_link "$current" "$releases/current"
    fi
fi

for name in $new_names; do
    link=$(target "$name")
    if [ "$(readlink "$name" 2>/dev/null)" != "$link" ]; then
        folder_of "$name" .
        put_link "$link" "$name"
    fi
done

# The switch.
put_link "$release" "$releases/current"

# From here the new release is out: what is left to tidy up never fails the run.
for name in $old_names; do
    case " $(echo $new_names) " in *" $name "*) continue ;; esac
    if [ "$(readlink "$name" 2>/dev/null)" = "$(target "$name")" ]; then rm -f "$name" || true; fi
done
for folder in "$releases"/*; do
    case ${folder#"$releases"/} in "$release" | current) ;; *) rm -rf "$folder" || true ;; esac
done
exit 0
