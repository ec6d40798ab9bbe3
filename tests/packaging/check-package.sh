#!/usr/bin/env bash
# check-package.sh BUILD_DIR [CPACK]: makes the Debian package of a built
# tree in a temporary folder and checks where it installs and what lintian
# says.
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=${2:-cpack}
work=$(mktemp -d "$build/tests/package-check-XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; status=1; }
status=0

"$cpack" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
}
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one package, got: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"

# Every path under /usr, none under /usr/local.
while read -r path; do
  case "$path" in
    ./ | ./usr/ | ./usr/*) ;;
    *) fail "installs outside /usr: $path" ;;
  esac
  case "$path" in ./usr/local/*) fail "installs under /usr/local: $path" ;; esac
done < <(dpkg-deb -c "$deb" | awk '{print $6}')

# The programs and what they read beside them; links in /usr/bin that resolve
# inside the package.
for program in plotcare plotcare-qz plotcare-cli grantall; do
  [ -x "$work/root/usr/bin/$program" ] || fail "/usr/bin/$program missing or not runnable"
done
for link in "$work"/root/usr/bin/*; do
  if [ -L "$link" ]; then
    target=$(readlink "$link")
    case "$target" in /*) fail "$link is an absolute link: $target" ;; esac
  fi
done
appdir=$(dirname "$(readlink -f "$work/root/usr/bin/plotcare")")
for file in Settings/Localize.ini Settings/Media.ini Settings/de/Localize.ini Sample.bmp plotcare-qz plotcare-cli; do
  [ -e "$appdir/$file" ] || fail "$file missing beside plotcare in ${appdir#"$work/root"}"
done
# Every language's manual links name pages the package holds.
for manual in "$appdir"/Settings/Manual.ini "$appdir"/Settings/*/Manual.ini; do
  [ -f "$manual" ] || continue
  while read -r page; do
    [ -f "$appdir/$page" ] || fail "${manual#"$appdir/"} names $page, which is not in the package"
  done < <(sed -n 's/^MANUAL_[0-9]*=\(.*[^\r]\)\r\{0,1\}$/\1/p' "$manual" | tr '\\' '/')
done

# Each PPD names a driver folder of the package that holds the libraries and
# its data file.
mapfile -t ppds < <(find "$work/root/usr/share/ppd" -name '*.ppd' 2>/dev/null)
[ ${#ppds[@]} -gt 0 ] || fail "no PPD in /usr/share/ppd"
for ppd in "${ppds[@]}"; do
  dir=$(sed -n 's/^\*OVDriverDirectory: "\(.*\)"\r\{0,1\}$/\1/p' "$ppd")
  data=$(sed -n 's/^\*OVDriverDataFile: "\(.*\)"\r\{0,1\}$/\1/p' "$ppd")
  name=${ppd#"$work/root"}
  case "$dir" in
    /usr/local/* | "") fail "$name names the driver folder '$dir'" ; continue ;;
    /usr/*) ;;
    *) fail "$name names a driver folder outside /usr: $dir" ; continue ;;
  esac
  for file in libtqapi.so libkrset32.so "$data" "$(basename "$ppd")"; do
    [ -f "$work/root$dir/$file" ] || fail "$name: $dir/$file is not in the package"
  done
  # The filters it names, in the folder where CUPS runs filters from.
  while read -r filter; do
    [ -x "$work/root/usr/lib/cups/filter/$filter" ] || fail "$name: filter $filter is not in /usr/lib/cups/filter"
  done < <(sed -n 's/^\*cupsFilter2: "[^ ]* [^ ]* [0-9]* \([^"]*\)"\r\{0,1\}$/\1/p' "$ppd" | grep -vx -- -)
done

# The maintainer scripts run the package's own registration tool.
for script in postinst prerm; do
  tool=$(grep -o '/[^ ]*orvex-register-drivers' "$work/control/$script" || true)
  [ -n "$tool" ] && [ -x "$work/root$tool" ] || fail "$script runs '$tool', which is not in the package"
done

# lintian: no errors, and every warning kept is explained in the package's
# overrides file.
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
  grep -v 'running with root privileges' "$work/lintian.log" >&2 || true
  fail "lintian"
fi

[ $status -eq 0 ] && echo "package ${deb##*/}: paths and lintian fine"
exit $status
