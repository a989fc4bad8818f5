#!/bin/sh
# Installs the build into a staging folder (DESTDIR), builds the Debian
# package, and checks what a user gets: both programs run from the staged
# tree, tarvex-gen generates a sample project, the desktop entry, AppStream
# data and manual pages pass their validators, and lintian finds no error in
# the package (its warnings are printed).
#
#   install_check.sh BUILD_DIR
set -u

build=$(cd "$1" && pwd)
work="$build/install-check"
rm -rf "$work"
mkdir -p "$work"
stage="$work/stage"
status=0
fail() { echo "FAIL $*"; status=1; }
ok() { echo "ok   $*"; }

for tool in desktop-file-validate appstreamcli man lintian dpkg-deb cpack; do
    command -v "$tool" >/dev/null 2>&1 || { echo "install_check.sh: $tool is missing (see PACKAGES in the Makefile)"; exit 1; }
done

# 1. Staged installation.
if DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    ok "cmake --install into $stage"
else
    cat "$work/install.log"; fail "cmake --install"; exit 1
fi
usr="$stage/usr"
for f in bin/tarvex-codegenerator bin/tarvex-gen \
         share/applications/io.tarvex.CodeGenerator.desktop \
         share/metainfo/io.tarvex.CodeGenerator.metainfo.xml \
         share/man/man1/tarvex-gen.1.gz share/man/man1/tarvex-codegenerator.1.gz \
         share/doc/tarvex-codegenerator/copyright share/doc/tarvex-codegenerator/changelog.gz; do
    [ -f "$usr/$f" ] || fail "not installed: /usr/$f"
done
# Nothing but FHS places under the prefix.
extra=$(cd "$usr" && find . -mindepth 1 -maxdepth 2 -type d | grep -vE '^\./(bin|share)(/(applications|metainfo|man|doc|icons))?$' || true)
[ -z "$extra" ] || fail "unexpected folders under /usr: $extra"
# The icons are installed, square PNGs of the size their folder names.
for s in 16 24 32 48 256; do
    head -c 24 "$usr/share/icons/hicolor/${s}x${s}/apps/tarvex-codegenerator.png" | od -An -tx1 | tr -d ' \n' \
        | grep -q "^89504e470d0a1a0a0000000d49484452$(printf '%08x%08x' $s $s)$" \
        || fail "icon ${s}x${s} is not a ${s} px PNG"
done

# 2. The staged programs run.
gen="$usr/bin/tarvex-gen"
if "$gen" --help >"$work/help.txt" 2>&1 && grep -q "generate PROJECT_DIR" "$work/help.txt"; then
    ok "tarvex-gen --help"
else
    fail "tarvex-gen --help"; cat "$work/help.txt"
fi
project="$work/project"
mkdir -p "$project"
printf '{"Language": "C", "IsArduino": "false", "CheckedModules": ["Pin"]}\n' >"$project/.tarvex_codegenerator_settings"
if "$gen" generate "$project" >"$work/generate.txt" 2>&1 \
   && [ -f "$project/gsm_manager.h" ] && [ -f "$project/gsm_manager.c" ] && [ -f "$project/Tarvex/LICENSE.txt" ] \
   && [ -f "$project/Tarvex/GSM_PIN.c" ] && grep -q '#include "Tarvex/GSM_PIN.h"' "$project/gsm_manager.h"; then
    ok "tarvex-gen generate on a sample project"
else
    fail "tarvex-gen generate"; cat "$work/generate.txt"; ls -la "$project"
fi
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" \
    timeout -s TERM 3 "$usr/bin/tarvex-codegenerator" >"$work/app.txt" 2>&1
rc=$?
if [ $rc -eq 124 ]; then
    ok "tarvex-codegenerator starts and keeps running"
else
    fail "tarvex-codegenerator ended with status $rc"; cat "$work/app.txt"
fi

# 3. Desktop entry, AppStream data and manual pages.
desktop-file-validate "$usr/share/applications/io.tarvex.CodeGenerator.desktop" >"$work/desktop.txt" 2>&1 \
    && [ ! -s "$work/desktop.txt" ] && ok "desktop-file-validate" || { fail "desktop-file-validate"; cat "$work/desktop.txt"; }
appstreamcli validate --no-net "$usr/share/metainfo/io.tarvex.CodeGenerator.metainfo.xml" >"$work/appstream.txt" 2>&1 \
    && ok "appstreamcli validate" || { fail "appstreamcli validate"; cat "$work/appstream.txt"; }
for page in tarvex-gen tarvex-codegenerator; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$usr/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.err"
    if [ $? -eq 0 ] && [ ! -s "$work/$page.err" ] && grep -q "EXIT STATUS\|USAGE STATISTICS" "$work/$page.txt"; then
        ok "man -l $page.1.gz"
    else
        fail "man -l $page.1.gz"; cat "$work/$page.err"
    fi
done
# The manual names every subcommand and every option that --help names.
for word in print-header print-source generate --settings --keep-stale --delete-stale --backup-dir --source-from; do
    grep -q -- "$word" "$work/tarvex-gen.txt" || fail "the tarvex-gen manual does not mention $word"
done

# 4. The Debian package.
if (cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1; then
    ok "cpack -G DEB"
else
    fail "cpack"; tail -n 30 "$work/cpack.log"; exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$work/package/tarvex-codegenerator_${version}_$(dpkg --print-architecture).deb"
if [ -f "$deb" ]; then ok "$(basename "$deb")"; else fail "no $deb"; ls "$work/package"; exit 1; fi
dpkg-deb -f "$deb" Depends >"$work/depends.txt"
grep -q libqt5widgets5 "$work/depends.txt" || fail "Depends does not name libqt5widgets5: $(cat "$work/depends.txt")"
dpkg-deb -c "$deb" >"$work/contents.txt"
grep -q ' ./usr/bin/tarvex-gen$' "$work/contents.txt" || fail "tarvex-gen is not in the package"
lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1
if grep -q '^E:' "$work/lintian.txt"; then
    fail "lintian reports errors:"
    cat "$work/lintian.txt"
else
    ok "lintian: no error"
fi
grep '^W:' "$work/lintian.txt" | sed 's/^/     lintian warning: /'

exit $status
