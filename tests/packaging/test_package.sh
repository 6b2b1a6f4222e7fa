#!/usr/bin/env bash
# Makes the Debian package of a build folder with cpack, unpacks it into a
# temporary folder and checks what a user would get from installing it: the
# control data, the programs, the desktop entry, the icons, the AppStream
# metainfo and the manual pages. Runs the unpacked terminal calendar.
#
# usage: test_package.sh BUILD_DIR CPACK PROGRAM...
#   PROGRAM is the built file of a packaged program, or missing:NAME while
#   the build does not define that program yet (the test is then skipped).
set -uo pipefail
export LC_ALL=C.UTF-8

here=$(dirname "$(realpath "$0")")
build=$(realpath "$1")
cpack=$2
shift 2

for program in "$@"; do
  case $program in
  missing:*)
    echo "SKIP: this build does not define the program ${program#missing:} yet"
    exit 77
    ;;
  esac
  if [ ! -x "$program" ]; then
    echo "FAIL: $program is not built; build the project before running the tests"
    exit 1
  fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vorn-package.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
ok() { echo "ok: $*"; }
# section; ...checks...; passed "what": says ok when no check of the section failed.
section() { section_failures=$failures; }
passed() { [ "$failures" -eq "$section_failures" ] && ok "$*"; }

app_id=org.vorn.vorncalendar
icon_sizes=(16 22 24 32 48 64 128 256)
programs=(vorncalendar vorncal)
required_depends=(
  libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6dbus6 qt6-qpa-plugins
  libqt6webenginecore6 libqt6webenginecore6-bin libqt6webenginewidgets6
  libxml2 fonts-noto-cjk fonts-arphic-gkai00mp
)

# ---- make and unpack the package ------------------------------------------
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
deb="$tmp/out/vorncalendar_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
  ls "$tmp/out"
  echo "FAIL: cpack made no vorncalendar_${version}_${arch}.deb"
  exit 1
fi
ok "cpack made $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

root="$tmp/root"
dpkg-deb -x "$deb" "$root" || {
  echo "FAIL: dpkg-deb -x"
  exit 1
}
# The control fields, read once: "Field: value" lines, continuation lines
# of the description indented.
fields=$(dpkg-deb -f "$deb" Package Version Architecture Maintainer Description Depends)
control() { sed -n "s/^$1: //p" <<<"$fields"; }

# ---- control data -----------------------------------------------------------
[ "$(control Package)" = vorncalendar ] || fail "Package is '$(control Package)'"
[ "$(control Version)" = "$version" ] || fail "Version is '$(control Version)', the project's is $version"
[ "$(control Architecture)" = "$arch" ] || fail "Architecture is '$(control Architecture)'"
[[ "$(control Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(control Maintainer)' is not 'Name <address>'"
[ -n "$(control Description)" ] || fail "no Description"
depends=$(control Depends)
echo "Depends: $depends"
# Each dependency on a line of its own, "name" or "name (op version)".
depend_items=$(tr ',' '\n' <<<"$depends" | sed -E 's/^ +| +$//g; /^$/d')
depend_names=$(sed -E 's/^([^ (]+).*/\1/' <<<"$depend_items")
for name in "${required_depends[@]}"; do
  grep -qx -- "$name" <<<"$depend_names" || fail "Depends does not name $name"
done
# Every dependency is a real package that this machine (which built and runs
# the programs) has installed in a version that satisfies the constraint.
declare -A installed=()
while IFS=$'\t' read -r name status have; do
  [ "$status" = ii ] && installed[$name]=$have
done < <(dpkg-query -W -f='${Package}\t${db:Status-Abbrev}\t${Version}\n' $depend_names 2>/dev/null | sed 's/ *\t/\t/g')
declare -A ops=([">="]=ge ["<="]=le ["="]=eq [">>"]=gt ["<<"]=lt)
while IFS= read -r item; do
  name=${item%% *}
  if [ -z "${installed[$name]:-}" ]; then
    fail "dependency $name is not an installed package here"
  elif [[ "$item" =~ \((\>=|\<=|=|\>\>|\<\<)\ *([^\)]+)\) ]]; then
    dpkg --compare-versions "${installed[$name]}" "${ops[${BASH_REMATCH[1]}]}" "${BASH_REMATCH[2]}" ||
      fail "dependency '$item' is not met by the installed ${installed[$name]}"
  fi
done <<<"$depend_items"

# ---- files and their modes ----------------------------------------------------
listing=$(dpkg-deb -c "$deb")
outside=$(awk '{print $6}' <<<"$listing" | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$outside" ] && ok "every file lies under /usr" || fail "files outside /usr: $outside"
owners=$(awk '$2 != "root/root" {print $6}' <<<"$listing")
[ -z "$owners" ] && ok "every file belongs to root" || fail "files not owned by root: $owners"
writable=$(awk 'substr($1, 6, 1) == "w" || substr($1, 9, 1) == "w" {print $6}' <<<"$listing")
[ -z "$writable" ] || fail "group- or world-writable entries: $writable"
[ -f "$root/usr/share/doc/vorncalendar/copyright" ] || fail "usr/share/doc/vorncalendar/copyright is missing"

section
# The programs, and the weather panel's library, which the calendar loads
# when the panel is first shown.
for rel in usr/bin/vorncalendar usr/bin/vorncal usr/lib/vorncalendar/libvorn_weatherpanel.so; do
  bin="$root/$rel"
  program=$(basename "$rel")
  # Programs are executable; a library is only read (mode 644, as Debian has it).
  mode=755
  [[ "$rel" == *.so ]] && mode=644
  if [ ! -f "$bin" ]; then
    fail "$rel is missing"
    continue
  fi
  [ "$(stat -c %a "$bin")" = $mode ] || fail "$rel has mode $(stat -c %a "$bin"), not $mode"
  file -b "$bin" | grep -q ', stripped' || fail "$rel is not stripped: $(file -b "$bin")"
  if readelf -d "$bin" | grep -qE 'R(UN)?PATH'; then
    fail "$rel keeps a run path: $(readelf -d "$bin" | grep -E 'R(UN)?PATH')"
  fi
  # Nothing of the build folder is left in it: a program that looked for a
  # library there would load whatever another user put into a build under /tmp.
  if strings -a "$bin" | grep -qF "$build"; then
    fail "$rel names the build folder: $(strings -a "$bin" | grep -F "$build" | head -3)"
  fi
  # Every shared library the program links is found on this system, and the
  # package that holds it is named in Depends.
  ldd_out=$(ldd "$bin")
  if grep -q 'not found' <<<"$ldd_out"; then
    fail "$rel links libraries that are not found: $(grep 'not found' <<<"$ldd_out")"
  fi
  needed=$(readelf -d "$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  [ -n "$needed" ] || fail "$rel links no shared library at all"
  paths=$(awk 'NR == FNR {want[$1] = 1; next} $1 in want && $2 == "=>" {print $1, $3}' <(echo "$needed") <(echo "$ldd_out"))
  # dpkg knows a library by the path its package ships, /lib/... or
  # /usr/lib/... (merged /usr); ask once for both spellings of every path.
  spellings=$(awk '{p = $2; sub("^/usr", "", p); print p; print "/usr" p}' <<<"$paths")
  owners=$(dpkg -S $spellings 2>/dev/null | grep -v '^diversion')
  while read -r soname path; do
    bare=${path#/usr}
    owner=$(awk -v a="$bare" -v b="/usr$bare" '{f = $NF} f == a || f == b {sub(/:.*/, "", $1); print $1; exit}' <<<"$owners")
    if [ -z "$owner" ]; then
      fail "no installed package holds $path, linked by $program"
    elif ! grep -qx -- "$owner" <<<"$depend_names"; then
      fail "$rel links $soname from $owner, which Depends does not name"
    fi
  done <<<"$paths"
done
passed "programs ${programs[*]} and the weather panel library: installed, stripped, no run path, every linked library's package in Depends"

# ---- desktop entry ------------------------------------------------------------
desktop="$root/usr/share/applications/$app_id.desktop"
if [ -f "$desktop" ]; then
  out=$(desktop-file-validate "$desktop" 2>&1)
  if [ $? -ne 0 ] || [ -n "$out" ]; then
    fail "desktop-file-validate: $out"
  else
    ok "desktop-file-validate accepts $app_id.desktop"
  fi
  key() { sed -n "s/^$1=//p" "$desktop"; }
  [ "$(key Name)" = "万年历" ] || fail "desktop entry Name is '$(key Name)'"
  [[ "$(key GenericName)" =~ ^[A-Za-z\ ]+$ ]] || fail "desktop entry GenericName '$(key GenericName)' is not English"
  [ "$(key Categories)" = "Office;Calendar;" ] || fail "desktop entry Categories is '$(key Categories)'"
  [ "$(key Type)" = Application ] || fail "desktop entry Type is '$(key Type)'"
  exec_program=$(key Exec | cut -d' ' -f1)
  [ -x "$root/usr/bin/$exec_program" ] || fail "desktop entry Exec '$(key Exec)' names no packaged program"
  [ "$(key Icon)" = vorncalendar ] || fail "desktop entry Icon is '$(key Icon)'"
else
  fail "usr/share/applications/$app_id.desktop is missing"
fi

# ---- icons --------------------------------------------------------------------
section
for size in "${icon_sizes[@]}"; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/vorncalendar.png"
  if [ ! -f "$icon" ]; then
    fail "icon ${size}x${size} is missing"
  elif ! file -b "$icon" | grep -q "^PNG image data, $size x $size,"; then
    fail "icon ${size}x${size} is $(file -b "$icon")"
  fi
done
passed "hicolor icons at ${icon_sizes[*]}, each a PNG of its size"

# ---- AppStream metainfo -------------------------------------------------------
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
if [ -f "$metainfo" ]; then
  if out=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1); then
    ok "appstreamcli validate accepts $app_id.metainfo.xml"
  else
    fail "appstreamcli validate: $out"
  fi
  # The installed tree as a whole: the metainfo, the desktop entry it
  # launches and the icon that entry names.
  if out=$(appstreamcli validate-tree --no-net --no-color "$root" 2>&1); then
    ok "appstreamcli validate-tree accepts the unpacked package"
  else
    fail "appstreamcli validate-tree: $out"
  fi
  grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $app_id.desktop"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
  for element in metadata_license project_license name summary description content_rating; do
    grep -q "<$element[ >]" "$metainfo" || fail "metainfo has no <$element>"
  done
else
  fail "usr/share/metainfo/$app_id.metainfo.xml is missing"
fi

# ---- manual pages -------------------------------------------------------------
section
for program in "${programs[@]}"; do
  page="$root/usr/share/man/man1/$program.1.gz"
  if [ ! -f "$page" ]; then
    fail "manual page $program.1.gz is missing"
    continue
  fi
  gzip -t "$page" || fail "$program.1.gz is not a valid gzip file"
  warnings=$(zcat "$page" | groff -man -ww -z -K utf8 -Tutf8 2>&1)
  [ -z "$warnings" ] || fail "groff warns on $program.1: $warnings"
  # The NAME line as man-db's index (whatis, apropos) reads it.
  whatis=$(lexgrog "$page" 2>&1)
  grep -qE "^[^:]+: \"$program - .+\"$" <<<"$whatis" || fail "$program.1 has no NAME line for $program: $whatis"
done
passed "manual pages of ${programs[*]}: gzip, no groff warning, NAME line"

# ---- the terminal calendar, run from the unpacked package ---------------------
vorncal="$root/usr/bin/vorncal"
if [ -x "$vorncal" ]; then
  out=$("$vorncal" 2024 2)
  status=$?
  [ $status -eq 0 ] || fail "vorncal 2024 2 exits with $status"
  grep -q "甲辰龙年" <<<"$out" || fail "vorncal 2024 2 does not name the year 甲辰龙年"
  grep -q "立春" <<<"$out" || fail "vorncal 2024 2 does not show the solar term 立春"
  grep -q "日 *一 *二 *三 *四 *五 *六" <<<"$out" || fail "vorncal 2024 2 has no weekday header"
  echo "$out"

  # The manual documents every option that the program's own usage names.
  help=$("$vorncal" --help)
  status=$?
  [ $status -eq 0 ] || fail "vorncal --help exits with $status"
  manual=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/vorncal.1.gz" 2>/dev/null)
  for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u) notes; do
    grep -q -- "$option" <<<"$manual" || fail "vorncal --help names $option, the manual page does not"
  done

  # The notes command reads the calendar's notes file (GB2312) from the data
  # directory; the seed document's example note is not listed.
  mkdir -p "$tmp/data/VORNCalendar"
  cp "$here/data/Notes.xml" "$tmp/data/VORNCalendar/Notes.xml"
  out=$(HOME="$tmp" XDG_DATA_HOME="$tmp/data" "$vorncal" notes 2>"$tmp/notes.err")
  status=$?
  expected=$'拜年\t2024-02-10 09:00\t是\t给外婆打电话'
  if [ $status -ne 0 ] || [ "$out" != "$expected" ]; then
    fail "vorncal notes exits with $status, prints '$out' and says '$(cat "$tmp/notes.err")'"
  else
    ok "vorncal notes lists the note of the notes file in the data directory"
  fi
else
  fail "usr/bin/vorncal is missing"
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "the package passes every check"
