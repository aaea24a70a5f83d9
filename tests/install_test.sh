#!/bin/bash
# The installed tree and the Debian package: what lands where, that the installed programs run
# and find their plugins, and that the package names its libraries.
#     bash install_test.sh <build-folder>
set -u
build=$(cd "$1" && pwd)
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

version=$("$build/tarnel" -v | sed -n 's/^Tarnel version //p')
[[ -n $version ]] || fail "no version from tarnel -v"

# A script that needs the Unicode plugin, so a run proves the plugin was found.
cat >"$work/hello.tn" <<'EOF'
print(upper("grüße aus tarnel"))
EOF
runs() {  # runs <bin-folder>: both programs work from there
    local out
    out=$("$1/tarnel" -v) && [[ $out == "Tarnel version $version" ]] || fail "$1/tarnel -v: $out"
    out=$(cd "$work" && "$1/tarnel" hello.tn 2>&1) && [[ $out == "GRÜSSE AUS TARNEL" ]] ||
        fail "$1/tarnel hello.tn: $out"
    out=$(cd "$work" && "$1/tarnel-check" hello.tn 2>&1) || fail "$1/tarnel-check hello.tn: $out"
}

# Install into an empty folder.
DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/tarnel >/dev/null ||
    fail "cmake --install"
expected="bin/tarnel
bin/tarnel-check
lib/tarnel/libtarnel_edit.so
lib/tarnel/libtarnel_sdl.so
lib/tarnel/libtarnel_unicode.so
share/bash-completion/completions/tarnel
share/bash-completion/completions/tarnel-check
share/doc/tarnel/README.md
share/doc/tarnel/architecture.md
share/doc/tarnel/examples/hello.tn
share/doc/tarnel/examples/site/site.tn
share/doc/tarnel/guide.md
share/doc/tarnel/reference.md
share/doc/tarnel/surprises.md
share/man/man1/tarnel-check.1
share/man/man1/tarnel.1
share/tarnel/editors/vscode/language-configuration.json
share/tarnel/editors/vscode/package.json
share/tarnel/editors/vscode/tarnel.tmLanguage.json
share/vim/vimfiles/ftdetect/tarnel.vim
share/vim/vimfiles/syntax/tarnel.vim"
tree=$(cd "$work/stage/opt/tarnel" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)
while read -r file; do
    grep -qx "$file" <<<"$tree" || fail "not installed: $file"
done <<<"$expected"
stray=$(grep -E 'test|fuzz|bench|\.a$|dump_code|list_names|node_modules' <<<"$tree")
[[ -z $stray ]] || fail "installed but not for users: $stray"
for page in tarnel tarnel-check; do
    grep -q "^\.TH .*\"Tarnel $version\"" "$work/stage/opt/tarnel/share/man/man1/$page.1" ||
        fail "$page.1 does not name version $version"
done
grep -q "\"version\": \"$version\"" "$work/stage/opt/tarnel/share/tarnel/editors/vscode/package.json" ||
    fail "the VS Code package.json does not name version $version"
runs "$work/stage/opt/tarnel/bin"

# The package: built by CPack, unpacked, run; its control file names the libraries.
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/*.deb 2>/dev/null | head -1)
if [[ -z $deb ]]; then
    fail "no .deb built"
else
    info=$(dpkg-deb -I "$deb")
    for field in "Package: tarnel" "Version: $version" "Section: interpreters"; do
        grep -q "^ $field\$" <<<"$info" || fail "control lacks '$field'"
    done
    depends=$(sed -n 's/^ Depends: //p' <<<"$info")
    for library in libsdl2 libicu libedit libc6; do
        grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
    done
    dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
    [[ -f $work/root/usr/share/man/man1/tarnel.1 ]] || fail "package lacks the manual page"
    runs "$work/root/usr/bin"
fi

[[ $failed == 0 ]] && echo "install tree and package ($version) as expected"
exit $failed
