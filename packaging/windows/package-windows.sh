#!/usr/bin/env bash
# Marlune-<version>-win64.zip (the folder that runs as it is) and Marlune-<version>-setup.exe
# (NSIS) into dist/, from the Windows build with the cross-built Qt.
#   packaging/windows/package-windows.sh VERSION BUILD_DIR     (scripts/package --windows)
set -euo pipefail
version=$1
build=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
start=$(date +%s)

if ! grep -qs '^MARLUNE_WINDOWS_QT:.*=..*' "$build/CMakeCache.txt" || [ ! -f "$build/src/marlune.exe" ]; then
  echo "package: $build holds no Windows build with Qt; build the Windows Qt (scripts/windows-deps.sh --qt)" >&2
  echo "         and the programs (scripts/test-windows) first" >&2
  exit 1
fi
# makensis reads !include paths from the script's folder: every path it is given is absolute.
build=$(cd "$build" && pwd)
for tool in makensis x86_64-w64-mingw32-strip convert; do
  command -v "$tool" >/dev/null || { echo "package: $tool is missing (scripts/windows-deps.sh --packages)" >&2; exit 1; }
done
cmake --build "$build" --parallel 2 --target marlune marlune-cli >/dev/null

stage_root=$build/stage
stage=$stage_root/Marlune
rm -rf "$stage_root"
cmake --install "$build" --prefix "$stage" >/dev/null
# The programs' debugging information stays in the build.
x86_64-w64-mingw32-strip --strip-debug "$stage"/*.exe

zip="dist/Marlune-$version-win64.zip"
rm -f "$zip"
(cd "$stage_root" && cmake -E tar cf "$root/$zip" --format=zip Marlune)

# The installer's file lists, from the staged folder: what is installed is what the
# uninstaller removes, nothing else (the user's config, scnf and data stay).
files=$stage_root/files.nsh
{
  echo "!macro InstallFiles"
  (cd "$stage" && find . -type d | sort) | while read -r dir; do
    rel=${dir#./}
    [ "$dir" = . ] && rel=""
    [ -z "$rel" ] && target='$INSTDIR' || target="\$INSTDIR\\${rel//\//\\}"
    find "$stage/${rel:-.}" -maxdepth 1 -type f | grep -q . || continue
    echo "  SetOutPath \"$target\""
    (cd "$stage/${rel:-.}" && find . -maxdepth 1 -type f | sort) | while read -r f; do
      echo "  File \"$stage/${rel:+$rel/}${f#./}\""
    done
  done
  echo "!macroend"
  echo "!macro UninstallFiles"
  (cd "$stage" && find . -type f | sort) | while read -r f; do
    rel=${f#./}
    echo "  Delete \"\$INSTDIR\\${rel//\//\\}\""
  done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
    rel=${d#./}
    echo "  RMDir \"\$INSTDIR\\${rel//\//\\}\""
  done
  echo "!macroend"
} >"$files"

convert resources/images/marlune16.png resources/images/marlune32.png resources/images/marlune.png \
  "$stage_root/marlune.ico"
setup="dist/Marlune-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DFILES="$files" -DOUTFILE="$root/$setup" -DICON="$stage_root/marlune.ico" \
  packaging/windows/marlune.nsi
echo "$zip: $(du -k "$zip" | cut -f1) KiB"
echo "$setup: $(du -k "$setup" | cut -f1) KiB"
echo "made in $(( $(date +%s) - start )) s"
