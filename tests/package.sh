#!/usr/bin/env bash
# The installed tree and the Debian package, each run from where it lands:
#   1. cmake --install into a temporary DESTDIR: the files are there, the
#      programs run, man finds the pages, and a sample CMake project builds a
#      C program against the installed libpvxjsim and runs example test cases
#      through kestrun_add_test with ctest -j3 --output-junit;
#   2. cpack builds the .deb; dpkg-deb --info/--contents check its metadata
#      and files; dpkg-deb -x unpacks it and kestrun1 runs from there.
set -uo pipefail
build=$(cd "$1" && pwd) src=$(cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export LC_ALL=C
fail=0
bad() { echo "FAIL: $*"; fail=1; }
step() { echo "--- $*"; }

run_tool() {  # root of an installed tree, example name: runs it on a fresh store
  local root=$1 name=$2 work
  work=$(mktemp -d -p "$tmp")
  (cd "$work" && PVXJSIM_DB="$work/store.db" "$root/usr/bin/kestrun1" \
     -i "$root/usr/share/doc/kestrun1/examples/$name.dat" -o "$name.log" -u USER1 -p pw1 \
     </dev/null >/dev/null 2>"$work/err")
  local rc=$?
  [ "$rc" -eq 0 ] || { bad "$root: example $name ended with exit code $rc"; tail -n 3 "$work/err"; }
  grep -q '^====== Test case ended normally' "$work/$name.log" || bad "$root: $name.log has no verdict"
}

step "install into a DESTDIR"
dest=$tmp/dest
if ! DESTDIR=$dest cmake --install "$build" --prefix /usr >"$tmp/install.out" 2>&1; then
  cat "$tmp/install.out"; bad "cmake --install failed"
fi
for f in bin/kestrun1 bin/pvxjsim include/pvxj/pvxj.h lib/libpvxjsim.a lib/libpvxjsim.so \
         lib/libpvxjsim.so.0 lib/cmake/pvxjsim/pvxjsimConfig.cmake lib/cmake/pvxjsim/pvxjsimTargets.cmake \
         lib/cmake/kestrun1/kestrun1Config.cmake lib/cmake/kestrun1/KestrunTest.cmake \
         lib/cmake/kestrun1/KestrunRunTest.cmake share/man/man1/kestrun1.1.gz share/man/man1/pvxjsim.1.gz \
         share/vim/vimfiles/syntax/kestrun.vim share/vim/vimfiles/ftdetect/kestrun.vim \
         share/vim/vimfiles/ftplugin/kestrun.lua share/kestrun1/vscode/extension.js \
         share/kestrun1/vscode/package.json share/kestrun1/vscode/syntaxes/kestrun.tmLanguage.json \
         share/doc/kestrun1/examples/tour.dat share/doc/kestrun1/README.md; do
  [ -e "$dest/usr/$f" ] || bad "not installed: /usr/$f"
done
"$dest/usr/bin/kestrun1" -h >"$tmp/help" 2>/dev/null || bad "installed kestrun1 -h failed"
grep -q '^  -i <TestCase>' "$tmp/help" || bad "installed kestrun1 -h shows no options"
init='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
# Without shutdown the server ends with 1 at the end of its input; only the answer counts.
printf 'Content-Length: %d\r\n\r\n%s' "${#init}" "$init" >"$tmp/lsp.in"
"$dest/usr/bin/kestrun1" --lsp <"$tmp/lsp.in" >"$tmp/lsp.out" 2>/dev/null
grep -q '"hoverProvider":true' "$tmp/lsp.out" || bad "installed kestrun1 --lsp does not answer initialize"
run_tool "$dest" tour
PVXJSIM_DB=$tmp/show.db "$dest/usr/bin/pvxjsim" create >/dev/null || bad "installed pvxjsim create failed"
"$dest/usr/bin/pvxjsim" --db "$tmp/show.db" show | grep -q USER1 || bad "installed pvxjsim show lists no users"
# Only the C API leaves the shared library.
others=$(nm -D --defined-only "$dest/usr/lib/libpvxjsim.so" | awk '{print $3}' | grep -v '^Pvxj' | grep -v '^$')
[ -z "$others" ] || bad "libpvxjsim.so exports more than the C API: $(echo $others | head -c 200)"
if command -v man >/dev/null 2>&1; then
  [ "$(MANPATH=$dest/usr/share/man man -w kestrun1 2>/dev/null)" = "$dest/usr/share/man/man1/kestrun1.1.gz" ] \
    || bad "man does not find the installed kestrun1 page"
  MANPATH=$dest/usr/share/man MANWIDTH=80 man pvxjsim 2>/dev/null | grep -q 'EXIT STATUS' \
    || bad "man pvxjsim shows no EXIT STATUS"
fi

step "a CMake project against the installed package"
proj=$tmp/project
if ! cmake -S "$src/tests/cmake_project" -B "$proj" -G Ninja -DCMAKE_PREFIX_PATH="$dest/usr" \
       -DEXAMPLES="$dest/usr/share/doc/kestrun1/examples" >"$tmp/configure.out" 2>&1 \
   || ! cmake --build "$proj" >"$tmp/build.out" 2>&1; then
  cat "$tmp/configure.out" "$tmp/build.out" | tail -n 30; bad "the sample project does not build"
else
  grep -q "$dest/usr/bin/kestrun1" "$proj/CTestTestfile.cmake" || bad "the sample project does not use the installed kestrun1"
  (cd "$proj" && ctest -j3 -LE failing --output-junit junit.xml >"$tmp/ctest.out" 2>&1) \
    || { cat "$tmp/ctest.out"; bad "the sample project's tests failed"; }
  for t in tour filters_and_sorts vector_loop hello_shared hello_static; do
    grep -q "<testcase name=\"$t\"" "$proj/junit.xml" || bad "junit.xml does not name $t"
  done
  grep -q 'failures="0"' "$proj/junit.xml" || bad "junit.xml counts failures"
  [ -f "$proj/kestrun/tour/tour.log" ] || bad "the result file of tour is not kept"
  [ "$(cd "$proj" && ctest -N -L smoke | grep -c 'Test *#')" = 2 ] || bad "label smoke does not select two tests"
  (cd "$proj" && ctest -R '^fails$' --output-on-failure >"$tmp/fails.out" 2>&1) && bad "the failing case passed"
  grep -q 'exit code 8: ====== Test case ended with error(s)' "$tmp/fails.out" \
    || { cat "$tmp/fails.out"; bad "a failure does not show the verdict line"; }
fi

step "the Debian package"
if ! cpack --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.out" 2>&1; then
  cat "$tmp/cpack.out"; bad "cpack failed"
fi
deb=$(ls "$tmp"/pkg/kestrun1_*_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  bad "no kestrun1_VERSION_ARCH.deb built"
else
  info=$(dpkg-deb --info "$deb")
  for field in 'Package: kestrun1' "Architecture: $(dpkg --print-architecture)" 'Depends: .*libsqlite3-0' \
               'Maintainer: ' 'Description: console test driver' 'Section: devel'; do
    grep -q "^ $field" <<<"$info" || bad "dpkg-deb --info lacks '$field'"
  done
  contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
  for f in ./usr/bin/kestrun1 ./usr/bin/pvxjsim ./usr/lib/libpvxjsim.so.0 ./usr/lib/libpvxjsim.a \
           ./usr/include/pvxj/pvxj.h ./usr/share/man/man1/kestrun1.1.gz ./usr/share/man/man1/pvxjsim.1.gz \
           ./usr/lib/cmake/kestrun1/KestrunTest.cmake ./usr/lib/cmake/pvxjsim/pvxjsimConfig.cmake \
           ./usr/share/vim/vimfiles/syntax/kestrun.vim ./usr/share/doc/kestrun1/examples/tour.dat; do
    grep -qx "$f" <<<"$contents" || bad "the package lacks $f"
  done
  outside=$(grep -v '^\./usr/' <<<"$contents" | grep -vx '\./')
  [ -z "$outside" ] || bad "the package installs outside /usr: $outside"
  x=$tmp/unpacked
  dpkg-deb -x "$deb" "$x" || bad "dpkg-deb -x failed"
  "$x/usr/bin/kestrun1" -h >/dev/null 2>&1 || bad "kestrun1 -h from the package failed"
  run_tool "$x" logon_and_query
  echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
fi

[ "$fail" -eq 0 ] && echo "installed tree and package work"
exit "$fail"
