#!/usr/bin/env bash
# install_test.sh BUILD_DIR SOURCE_DIR
# Installs the build into a scratch root as the Debian package lays it out
# (prefix /usr), checks it with the tools the desktop itself uses, runs the
# installed program, and holds its --help, the manual and the bash completion
# to the same options.
set -euo pipefail
build=$1
source=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
usr=$root/usr
share=$usr/share

fail() {
  echo "install test: $*" >&2
  exit 1
}
have() {
  command -v "$1" >/dev/null || {
    echo "install test: $1 not found, $2 not checked" >&2
    return 1
  }
}
# Big-endian width and height of a PNG, "W H".
png_size() {
  [[ $(od -An -tx1 -N8 "$1" | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "$1 is not a PNG"
  echo $((16#$(od -An -tx1 -j16 -N4 "$1" | tr -d ' \n'))) $((16#$(od -An -tx1 -j20 -N4 "$1" | tr -d ' \n')))
}
# The colour type of a PNG: 2 RGB, 6 RGBA.
png_colour_type() {
  od -An -tu1 -j25 -N1 "$1" | tr -d ' '
}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
vandrel=$usr/bin/vandrel

# --- Where the menu, the file manager, man and bash look ---------------------
[[ -x $vandrel ]] || fail "no /usr/bin/vandrel"
for f in applications/vandrel.desktop mime/packages/vandrel.xml icons/hicolor/scalable/apps/vandrel.svg \
  man/man1/vandrel.1.gz bash-completion/completions/vandrel vandrel/help.txt vandrel/examples/demo.vsc; do
  [[ -s $share/$f ]] || fail "no /usr/share/$f"
done
for size in 48 128 256; do
  [[ $(png_size "$share/icons/hicolor/${size}x${size}/apps/vandrel.png") == "$size $size" ]] ||
    fail "the ${size}x${size} icon has another size"
done

desktop=$share/applications/vandrel.desktop
key() { sed -n "s/^$1=//p" "$desktop"; }
exec_line=$(key Exec)
[[ -x $usr/bin/${exec_line%% *} ]] || fail "Exec=$exec_line does not start the installed program"
[[ $(key Icon) == vandrel ]] || fail "Icon is not the installed icon's name"
if have desktop-file-validate "the desktop entry"; then
  report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
  [[ -z $report ]] || fail "desktop-file-validate: $report"
fi

mime=$share/mime/packages/vandrel.xml
if have xmllint "the MIME types"; then
  xmllint --noout "$mime" || fail "vandrel.xml is not well-formed"
  # Every type the menu entry opens is declared.
  for type in $(key MimeType | tr ';' ' '); do
    [[ $(xmllint --xpath "count(//*[local-name()='mime-type'][@type='$type'])" "$mime") == 1 ]] ||
      fail "$type is opened by the desktop entry but not declared"
  done
  # Packs and texture logs are told by their first line too, and each example
  # starts with the magic of the type its name gives it.
  for example in "$share"/vandrel/examples/*; do
    type=$(xmllint --xpath "string(//*[local-name()='glob'][@pattern='*.${example##*.}']/../@type)" "$mime")
    [[ -n $type ]] || fail "no type for ${example##*/}"
    magic=$(xmllint --xpath "string(//*[local-name()='mime-type'][@type='$type']//*[local-name()='match']/@value)" "$mime")
    [[ -n $magic ]] || fail "$type has no magic"
    [[ $(head -c ${#magic} "$example") == "$magic" ]] || fail "${example##*/} does not start with \"$magic\""
  done
fi
if have update-mime-database "the MIME database"; then
  # The file manager's database builder is the judge of the shared-mime-info rules;
  # it reports a broken type on stderr and still exits 0.
  report=$(XDG_DATA_HOME=$root/none XDG_DATA_DIRS=$share update-mime-database "$share/mime" 2>&1)
  [[ -z $report ]] || fail "update-mime-database: $report"
  for ext in vsc vsl vtx vmt vrs sna; do
    grep -q "^50:application/x-vandrel-[a-z-]*:\*\.$ext$" "$share/mime/globs2" || fail "*.$ext has no type"
  done
fi

# --- The installed program ---------------------------------------------------
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $("$vandrel" --version) == "vandrel $version" ]] || fail "--version does not say $version"
(cd "$root" && "$vandrel" texture "$share/vandrel/examples/marble.vtx" --size 64 -o marble.png) ||
  fail "vandrel texture failed"
[[ $(png_size "$root/marble.png") == "64 64" ]] || fail "vandrel texture wrote no 64 x 64 PNG"
[[ $(png_colour_type "$root/marble.png") == 2 ]] || fail "vandrel texture wrote no RGB PNG"
(cd "$root" && "$vandrel" texture "$share/vandrel/examples/marble.vtx" --alpha -o alpha.png) ||
  fail "vandrel texture --alpha failed"
[[ $(png_colour_type "$root/alpha.png") == 6 ]] || fail "vandrel texture --alpha wrote no RGBA PNG"

# --- One list of options: --help, the bash completion, the manual --------------
# Options that `vandrel [COMMAND] --help` lists, one a line, sorted.
help_options() {
  "$vandrel" "$@" --help | awk '/^Options:/ { on = 1; next } /^$/ { on = 0 } on { print $1 }' |
    tr ',' '\n' | sort
}
# What bash offers for the last of `vandrel WORDS...`, sorted.
completed() {
  bash -c 'source "$1"; shift; COMP_WORDS=(vandrel "$@"); COMP_CWORD=$#; _vandrel; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$share/bash-completion/completions/vandrel" "$@" | sort
}
page=""
if have man "the manual"; then
  page=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$share/man/man1/vandrel.1.gz" 2>"$root/man.err") ||
    fail "man -l failed"
  [[ ! -s $root/man.err ]] || fail "man: $(cat "$root/man.err")"
  grep -q "VandreL $version" <<<"$page" || fail "the manual does not name version $version"
fi
# The manual's text about a command: its subsection (OPTIONS for the program itself).
manual_section() {
  if [[ -z $1 ]]; then
    awk '/^OPTIONS/ { on = 1; next } /^[A-Z]/ { on = 0 } on' <<<"$page"
  else
    awk -v head="   vandrel $1 " 'index($0, head) == 1 { on = 1; next } /^   vandrel |^[A-Z]/ { on = 0 } on' <<<"$page"
  fi
}

commands=$("$vandrel" --help | awk '/^Subcommands:/ { on = 1; next } /^$/ { on = 0 } on { print $1 }' | sort)
[[ -n $commands ]] || fail "--help lists no command"
mkdir "$root/empty"
[[ $(cd "$root/empty" && completed "") == "$commands" ]] ||
  fail "bash completes other commands than --help lists"
for command in "" $commands; do
  "$vandrel" $command --help >/dev/null || fail "vandrel $command --help failed"
  listed=$(help_options $command)
  [[ -n $listed ]] || fail "vandrel $command --help lists no option"
  [[ $(completed $command -) == "$listed" ]] ||
    fail "bash completes other options for 'vandrel $command' than --help lists: $(completed $command - | tr '\n' ' ')"
  if [[ -n $page ]]; then
    section=$(manual_section "$command")
    [[ -n $section ]] || fail "the manual has no section for 'vandrel $command'"
    for option in $listed; do
      [[ -n $command && ($option == -h || $option == --help) ]] && continue  # said once for all commands
      grep -qE -- "(^|[^-[:alnum:]])$option([^-[:alnum:]]|$)" <<<"$section" ||
        fail "the manual does not describe $option of 'vandrel $command'"
    done
  fi
done
echo "install test: the installed tree, the program and its options agree"
