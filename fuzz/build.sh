#!/bin/sh
# Builds the libFuzzer targets into fuzz/out/ with clang, outside the normal CMake build.
#   fuzz/build.sh            all targets
#   fuzz/build.sh tiled      only the named ones
# Run one with its seed corpus, e.g.:
#   fuzz/out/tiled_fuzzer -max_total_time=600 fuzz/out/corpus-tiled fuzz/corpus/tiled
# (the first folder collects new inputs; the committed seeds stay as they are).
# To add a target: write fuzz/<name>_fuzzer.cpp, a build_<name> function below and add <name> to ALL.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/fuzz/out"
CXX=${CXX:-clang++}
CXXFLAGS="-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I$ROOT"
ALL="tiled form highscore"

mkdir -p "$OUT"

# fuzzer NAME SOURCES... [-lLIBS]: one executable per target.
fuzzer() {
    name=$1
    shift
    echo "building $OUT/$name"
    # shellcheck disable=SC2086
    $CXX $CXXFLAGS "$@" -o "$OUT/$name"
}

build_tiled() {
    fuzzer tiled_fuzzer "$ROOT/fuzz/tiled_fuzzer.cpp" \
        "$ROOT/tiled/TiledMap.cpp" "$ROOT/tiled/TileData.cpp" "$ROOT/tiled/JsonText.cpp" \
        "$ROOT/tiled/FileChecks.cpp" -lz
}

# The widget layer's form parser and builder; no GL context is needed (see the target).
build_form() {
    fuzzer form_fuzzer "$ROOT/fuzz/form_fuzzer.cpp" \
        "$ROOT/widgets/Widgets.cpp" "$ROOT/widgets/WidgetDraw.cpp" "$ROOT/widgets/Gui.cpp" \
        "$ROOT/widgets/FormParser.cpp" "$ROOT/widgets/FormLoader.cpp" "$ROOT/widgets/FileChecks.cpp" \
        -lsfml-graphics -lsfml-window -lsfml-system
}

build_highscore() {
    fuzzer highscore_fuzzer "$ROOT/fuzz/highscore_fuzzer.cpp" "$ROOT/ui/HighscoreFile.cpp"
}

for target in ${*:-$ALL}; do
    "build_$target"
done
