#!/usr/bin/env bash
# Builds the Windows (mingw-w64, x86_64) libraries Marlune needs from Debian's source
# packages, into a cache folder outside the source tree:
#   libcurl (Schannel TLS, no OpenSSL), libpng (on the mingw zlib), pugixml, nlohmann-json,
#   GoogleTest (from /usr/src/googletest), and with --qt a minimal Qt 6 base (Core, Gui,
#   Widgets) of the Linux Qt's version, using the Linux Qt's host tools.
# Whatever is built already is skipped; each step prints how long it took.
#
#   scripts/windows-deps.sh [--packages] [--qt]
#     --packages  install the Debian packages first (as root)
#     --qt        build Qt too (hours on two cores)
# The cache folder is ${MARLUNE_WINDOWS_CACHE:-$HOME/.cache/marlune-windows}; the libraries
# land in its prefix/, Qt in qt6/.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${MARLUNE_WINDOWS_CACHE:-$HOME/.cache/marlune-windows}
prefix=$cache/prefix
toolchain=$here/cmake/mingw-w64-x86_64.cmake
jobs=${MARLUNE_WINDOWS_JOBS:-2}

# The cross compiler, Wine to run the tests, the mingw zlib, GoogleTest's sources, the
# Linux Qt whose host tools (moc, rcc, uic) the Qt cross build uses, and the tools to unpack
# and build source packages.
windows_packages=(g++-mingw-w64-x86-64-posix wine64 libz-mingw-w64-dev libgtest-dev
                  qt6-base-dev qt6-base-dev-tools dpkg-dev cmake ninja-build perl python3 xz-utils)

want_packages=0
want_qt=0
for arg in "$@"; do
    case $arg in
    --packages) want_packages=1 ;;
    --qt) want_qt=1 ;;
    *) echo "usage: $0 [--packages] [--qt]" >&2; exit 2 ;;
    esac
done

step_start=0
step() { step_name=$1; step_start=$(date +%s); echo "== $step_name"; }
step_done() { echo "== $step_name: $(( $(date +%s) - step_start )) s"; }

if [ "$want_packages" = 1 ]; then
    step "Debian packages"
    export DEBIAN_FRONTEND=noninteractive
    missing=()
    for p in "${windows_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        apt-get update -qq
        apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
    step_done
fi

mkdir -p "$cache/src" "$cache/build" "$prefix"

# A private apt configuration that knows the deb-src lines of the system's suites, so
# the system's own lists are never touched.
aptdir=$cache/apt
apt_opts=(-o "Dir::Etc::SourceList=$aptdir/sources.list" -o "Dir::Etc::SourceParts=$aptdir/parts"
          -o "Dir::State::Lists=$aptdir/lists" -o "Dir::Cache=$aptdir/cache"
          -o "Dir::State::status=/var/lib/dpkg/status" -o "APT::Sandbox::User=root")
apt_ready=0
prepare_apt() {
    [ "$apt_ready" = 1 ] && return
    mkdir -p "$aptdir/lists/partial" "$aptdir/cache/archives/partial" "$aptdir/parts"
    # The suites and mirrors the system's binary packages come from, as deb-src lines.
    : > "$aptdir/sources.list.new"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && grep -E '^deb ' "$f" | sed 's/^deb /deb-src /' >> "$aptdir/sources.list.new"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk '/^URIs:/ {u=$2} /^Suites:/ {s=""; for (i = 2; i <= NF; i++) s = s " " $i}
             /^Components:/ {c=""; for (i = 2; i <= NF; i++) c = c " " $i}
             /^$/ {if (u != "") {n = split(s, a, " "); for (i = 1; i <= n; i++) print "deb-src " u " " a[i] c}; u = ""}
             END {if (u != "") {n = split(s, a, " "); for (i = 1; i <= n; i++) print "deb-src " u " " a[i] c}}' \
            "$f" >> "$aptdir/sources.list.new"
    done
    mv "$aptdir/sources.list.new" "$aptdir/sources.list"
    apt-get "${apt_opts[@]}" update -qq
    apt_ready=1
}

# Unpacks Debian's source package $1 into src/$1 (patches applied). The newest version
# the lists name can be missing from the mirror: older ones are tried then.
fetch_source() {
    local package=$1
    [ -d "$cache/src/$package" ] && return
    prepare_apt
    local dl=$cache/src/dl-$package
    rm -rf "$dl" && mkdir -p "$dl"
    local version
    local ok=0
    for version in $(apt-cache "${apt_opts[@]}" showsrc "$package" | awk '/^Version:/ {print $2}' | sort -r -V); do
        if (cd "$dl" && apt-get "${apt_opts[@]}" source -qq --download-only "$package=$version" >/dev/null 2>&1); then
            ok=1
            break
        fi
        rm -f "$dl"/*
    done
    [ "$ok" = 1 ] || { echo "no source package $package could be downloaded" >&2; exit 1; }
    (cd "$dl" && dpkg-source -q -x ./*.dsc "$cache/src/$package" >/dev/null 2>&1)
    rm -rf "$dl"
}

# Configures, builds and installs a CMake project for Windows into the prefix.
cmake_windows() {
    local name=$1 source=$2
    shift 2
    local build=$cache/build/$name
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DMARLUNE_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DBUILD_SHARED_LIBS=OFF "$@" >"$build.log" 2>&1 || { tail -30 "$build.log"; exit 1; }
    cmake --build "$build" --parallel "$jobs" >>"$build.log" 2>&1 || { tail -30 "$build.log"; exit 1; }
    cmake --install "$build" >>"$build.log" 2>&1 || { tail -30 "$build.log"; exit 1; }
}

# Runs a build step once: the stamp file says it is done.
build_once() {
    local name=$1
    shift
    if [ -f "$cache/stamps/$name" ]; then
        echo "== $name: built already"
        return
    fi
    step "$name"
    "$@"
    mkdir -p "$cache/stamps" && date -u +%FT%TZ > "$cache/stamps/$name"
    step_done
}

build_zlib() {
    # Debian's mingw zlib lives in the cross sysroot, which the toolchain file searches;
    # nothing to build, only a check that it is there.
    [ -f /usr/x86_64-w64-mingw32/lib/libz.a ] || { echo "libz-mingw-w64-dev is missing" >&2; exit 1; }
}

build_libpng() {
    fetch_source libpng1.6
    cmake_windows libpng "$cache/src/libpng1.6" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF
}

build_pugixml() {
    fetch_source pugixml
    cmake_windows pugixml "$cache/src/pugixml" -DPUGIXML_BUILD_TESTS=OFF
}

build_json() {
    fetch_source nlohmann-json3
    cmake_windows nlohmann-json "$cache/src/nlohmann-json3" -DJSON_BuildTests=OFF -DJSON_Install=ON
}

build_curl() {
    fetch_source curl
    # Schannel is the Windows TLS stack: no OpenSSL to ship or update. Only HTTP(S) is
    # used; everything else stays out.
    cmake_windows curl "$cache/src/curl" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF \
        -DCURL_WINDOWS_SSPI=ON -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_DISABLE_LDAP=ON \
        -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
        -DCURL_USE_LIBPSL=OFF -DENABLE_MANUAL=OFF -DCURL_ZLIB=ON -DHTTP_ONLY=ON
}

build_gtest() {
    [ -f /usr/src/googletest/CMakeLists.txt ] || { echo "libgtest-dev is missing" >&2; exit 1; }
    cmake_windows googletest /usr/src/googletest -Dgtest_force_shared_crt=ON
}

# Fits the Windows platform plugin to what this Qt leaves out: Debian's source has no
# (non-free) Wintab header, so no Wintab tablets (pen input through the pointer API stays),
# and the plugin must not reach for OpenGL or Direct2D pieces that are not built.
patch_qt_without_wintab() {
    local plugin=$cache/src/qt6-base/src/plugins/platforms/windows
    grep -q 'wintab.h' "$plugin/CMakeLists.txt" && grep -q 'dynamicgl) && QT_CONFIG(opengl)' "$plugin/qwindowswindow.cpp" &&
        grep -q 'directwrite3) && QT_CONFIG(direct2d)' "$plugin/qwindowsintegration.cpp" && return
    sed -i 's|^qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent$|qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent AND EXISTS ${QtBase_SOURCE_DIR}/src/3rdparty/wintab/wintab.h|' \
        "$plugin/CMakeLists.txt"
    sed -i 's|^#if QT_CONFIG(tabletevent)$|#if QT_CONFIG(tabletevent) \&\& __has_include(<wintab.h>)|' \
        "$plugin/qwindowscontext.cpp"
    sed -i '/^#if QT_CONFIG(tabletevent)$/{N;s|^#if QT_CONFIG(tabletevent)\n#  include "qwindowstabletsupport.h"|#if QT_CONFIG(tabletevent) \&\& __has_include(<wintab.h>)\n#  include "qwindowstabletsupport.h"|}' \
        "$plugin/qwindowspointerhandler.cpp"
    # Without OpenGL there is no OpenGL to be dynamic about (the plugin asks anyway).
    sed -i 's|^#if QT_CONFIG(dynamicgl)$|#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)|' "$plugin/qwindowswindow.cpp"
    # Qt Gui builds its DirectWrite font database only with Direct2D, which is left out.
    sed -i 's|^#if QT_CONFIG(directwrite3)$|#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)|' "$plugin/qwindowsintegration.cpp"
    grep -q 'wintab.h' "$plugin/CMakeLists.txt" || { echo "the Qt plugin patch no longer fits" >&2; exit 1; }
}

build_qt() {
    fetch_source qt6-base
    patch_qt_without_wintab
    local build=$cache/build/qt6-base
    local linux_version
    linux_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    echo "Linux Qt $linux_version; its host tools build the Windows one"
    # Core, Gui and Widgets only; the Linux Qt of the same version gives the host tools.
    cmake -S "$cache/src/qt6-base" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$cache/qt6" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_freetype=OFF -DFEATURE_fontconfig=OFF -DFEATURE_jpeg=OFF \
        -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF \
        -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_direct2d=OFF \
        -DFEATURE_pdf=OFF -DFEATURE_glib=OFF >"$build.log" 2>&1 || { tail -30 "$build.log"; exit 1; }
    nice -n 10 cmake --build "$build" --parallel "$jobs" >>"$build.log" 2>&1 || { tail -30 "$build.log"; exit 1; }
    cmake --install "$build" >>"$build.log" 2>&1 || { tail -30 "$build.log"; exit 1; }
    qt_runtime_dlls
}

# Qt's DLLs use the compiler's C++ runtime as DLLs: they go beside them.
qt_runtime_dlls() {
    local dll
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$cache/qt6/bin/"
    done
}

total_start=$(date +%s)
build_once zlib build_zlib
build_once libpng build_libpng
build_once pugixml build_pugixml
build_once nlohmann-json build_json
build_once curl build_curl
build_once googletest build_gtest
if [ "$want_qt" = 1 ]; then
    build_once qt6-base build_qt
fi
echo "== all: $(( $(date +%s) - total_start )) s; libraries in $prefix"
