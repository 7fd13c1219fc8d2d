#!/bin/sh
# Builds the game for Linux, for Windows and for the web browser, and its
# tests, and runs every test, unit and end-to-end (the Windows ones under
# Wine, the web ones in headless Chromium); then
# builds twice more with sanitizers and runs the tests they watch:
# AddressSanitizer with UndefinedBehaviorSanitizer over the unit tests and a
# whole game, ThreadSanitizer over the timers and the game loop. Any report fails.
set -e
cd "$(dirname "$0")/.."
# The Windows release first: its own tests run under Wine in its build, and
# the zip joins the end-to-end tests of the Linux build.
tools/windows.sh
version=$(sed -n 's/^project(Zephyrion VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
(cd build-win64 && WINEPREFIX="$(pwd)/wine" WINEDEBUG=-all ctest --output-on-failure)
# The web page, which its tests load in headless Chromium with the Linux build's.
tools/web.sh
tools/setup.sh tests
cmake -S . -B build -DZEPHYRION_WINDOWS_ZIP="$(pwd)/build-win64/zephyrion-$version-win64.zip" \
    -DZEPHYRION_WEB_ZIP="$(pwd)/build-web/zephyrion-$version-web.zip" >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

supp="$(pwd)/tools/sanitizers"
sanitized() {  # build folder, sanitizer, tests to run
    cmake -S . -B "$1" -DZEPHYRION_TESTS=ON -DZEPHYRION_SANITIZE="$2" >/dev/null
    ASAN_OPTIONS=detect_leaks=0 cmake --build "$1" -j"$(nproc)" >/dev/null
    ctest --test-dir "$1" --output-on-failure -j"$(nproc)" -R "$3"
}
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:exitcode=66:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:exitcode=66:suppressions=$supp/tsan.supp"
# The game and the display tests look for leaks themselves before Allegro
# unloads its driver modules at exit.
sanitized build-asan address \
    '^unit\.|^display\.(BrokenAssets|Soak)\.|^e2e\.Game\.ASessionFromTheSplash|^e2e\.Soak\.'
sanitized build-tsan thread '^display\.GameLoop\.|^unit\.(Gameplay|FramePacing)\.'

# Fuzzing, a minute for each target, from the seeds in fuzz/seeds; what it
# finds besides stays in build-fuzz.
CXX=clang++ cmake -S . -B build-fuzz -DZEPHYRION_FUZZ=ON -DZEPHYRION_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target settings_fuzz font_fuzz demo_fuzz >/dev/null
for target in settings font demo; do
    mkdir -p "build-fuzz/corpus-$target"
    (cd build-fuzz && "./${target}_fuzz" -max_total_time=60 -timeout=10 -print_final_stats=1 \
        "corpus-$target" "../fuzz/seeds/$target")
done
