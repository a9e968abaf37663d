# Setup against the installers vendors pick instead, side by side under Wine: NSIS with zlib and
# with solid LZMA, and an MSI built with wixl, all from Debian. Setup runs as three
# distributions: LZHUF payloads (the default), xz payloads (--codec xz) and a solid one-file
# bundle (bundle --solid). Two payloads made from this
# machine's own files (documentation texts and ELF programs): 3,000 files of 1-20 KB and 5 files
# of 84 MB in all. Every installer installs and removes each payload silently from a fresh copy of
# one booted prefix, interleaved, PEER_RUNS times (default 3); every installed file is compared
# byte for byte. Prints the medians with ratios to NSIS zlib, and the goals.
#   bash bench/peer_bench.sh            (needs build/host and build/win32)
#   PEER_RUNS=1 PEER_PAYLOADS=small bash bench/peer_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
host=${HOST_BUILD_DIR:-$root/build/host}
win32=${WIN32_BUILD_DIR:-$root/build/win32}
runs=${PEER_RUNS:-3}
payloads=${PEER_PAYLOADS:-small large}
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

# The peers are benchmark tools, not parts of the product.
missing=()
command -v makensis >/dev/null || missing+=(nsis)
command -v wixl >/dev/null || missing+=(wixl)
command -v msiinfo >/dev/null || missing+=(msitools)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
for program in "$host/setup-pack" "$host/setup" "$win32/Setup.exe" "$win32/Uninstall.exe"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "peer_bench: $program is missing" >&2; exit 1; }
done

# --- The payloads -------------------------------------------------------------------------------
make_payloads() {
  python3 "$root/bench/machine_payloads.py" small "$work/payload-small" 3000 24 96
  python3 "$root/bench/machine_payloads.py" large "$work/payload-large" 24 96
}

# --- The distributions --------------------------------------------------------------------------
build_setup() {  # payload
  local payload=$work/payload-$1 script=$work/setup-$1.txt
  printf 'X|?PRGFDIR?\\PeerBench\r\n' >"$script"
  (cd "$payload" && find . -type f | sed 's|^\./||' | sort) | while read -r file; do
    printf 'F|%s|?APPDIR?\\%s\r\n' "$file" "${file//\//\\}" >>"$script"
  done
  "$host/setup-pack" build --script "$script" --from "$payload" --out "$work/dist-setup-$1" \
    --setup "$win32/Setup.exe" --uninstaller --name "Peer Bench" >/dev/null 2>&1
  "$host/setup-pack" build --codec xz --script "$script" --from "$payload" \
    --out "$work/dist-setup-xz-$1" --setup "$win32/Setup.exe" --uninstaller --name "Peer Bench" \
    >/dev/null 2>&1
  "$host/setup-pack" bundle "$work/dist-setup-xz-$1" --solid --target win32 \
    --stub "$win32/SetupStub.exe" --out "$work/setup-solid-$1.exe" --name "Peer Bench" >/dev/null
}

build_nsis() {  # payload compressor
  local name=nsis-$2-$1
  local compressor=zlib
  [ "$2" = lzma ] && compressor='/SOLID lzma'
  cat >"$work/$name.nsi" <<EOF_NSI
Unicode true
SetCompressor $compressor
OutFile "$work/$name.exe"
InstallDir "C:\\PeerBench"
RequestExecutionLevel admin
SilentInstall silent
SilentUnInstall silent
Section
  SetOutPath "\$INSTDIR"
  File /r "$work/payload-$1/*"
  WriteUninstaller "\$INSTDIR\\uninstall.exe"
SectionEnd
Section "Uninstall"
  RMDir /r "\$INSTDIR"
SectionEnd
EOF_NSI
  makensis -V1 "$work/$name.nsi" >/dev/null
}

build_msi() {  # payload
  local name=msi-$1
  find "$work/payload-$1" -type f | sort |
    wixl-heat --prefix "$work/payload-$1/" --directory-ref INSTALLDIR --component-group Payload \
      --var var.SourceDir >"$work/$name-files.wxs"
  cat >"$work/$name.wxs" <<'EOF_WXS'
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="Peer Bench" Language="1033" Version="1.0.0" Manufacturer="Bench"
           UpgradeCode="6B2F3C1E-3F43-4B0C-9C7B-2B4F3D1A9E11">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="payload.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="INSTALLDIR" Name="PeerBench"/>
    </Directory>
    <Feature Id="Everything" Level="1">
      <ComponentGroupRef Id="Payload"/>
    </Feature>
  </Product>
</Wix>
EOF_WXS
  # The product lands in C:\PeerBench, as the others do.
  # wixl takes sources relative to the folder it runs in.
  (cd "$work" && wixl -D SourceDir="payload-$1" -o "$name.msi" "$name.wxs" "$name-files.wxs") \
    >"$work/$name.log" 2>&1 || { cat "$work/$name.log" >&2; exit 1; }
}

size_of() { du -sb "$1" | cut -f1; }

# --- Installing and removing --------------------------------------------------------------------
boot_template() {
  export WINEPREFIX=$work/template
  WINEDEBUG=-all wineboot -i >/dev/null 2>&1
  wineserver -w
}

fresh_prefix() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work/prefix"
  cp -a "$work/template" "$work/prefix"
  export WINEPREFIX=$work/prefix
  WINEDEBUG=-all wine cmd /c exit >/dev/null 2>&1  # start the server, untimed
}

seconds() {  # command... -> its wall time, while it runs under WINEDEBUG=-all
  local start end
  start=$(date +%s%N)
  WINEDEBUG=-all "$@" >/dev/null 2>&1 || true
  wineserver -w
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}

installed_matches() {  # payload folder: every payload file there, byte for byte
  ! diff -rq "$work/payload-$1" "$2" 2>&1 | grep -v "^Only in $2" | grep -q .
}

# One installation and removal of one installer: prints "install remove".
run_one() {  # kind payload
  local kind=$1 payload=$2 app=$work/prefix/drive_c/PeerBench install remove
  fresh_prefix
  case $kind in
    setup | setup-xz)
      cp -r "$work/dist-$kind-$payload" "$work/prefix/drive_c/dist"
      install=$(seconds wine 'C:\dist\Setup.exe' /S '/DIR=C:\PeerBench')
      installed_matches "$payload" "$app" || echo "peer_bench: $kind installed other files" >&2
      remove=$(seconds wine 'C:\PeerBench\Uninstall.exe' /S) ;;
    setup-solid)
      cp "$work/setup-solid-$payload.exe" "$work/prefix/drive_c/installer.exe"
      install=$(seconds wine 'C:\installer.exe' /S '/DIR=C:\PeerBench')
      installed_matches "$payload" "$app" || echo "peer_bench: $kind installed other files" >&2
      remove=$(seconds wine 'C:\PeerBench\Uninstall.exe' /S) ;;
    nsis-zlib | nsis-lzma)
      cp "$work/$kind-$payload.exe" "$work/prefix/drive_c/installer.exe"
      install=$(seconds wine 'C:\installer.exe' /S)
      installed_matches "$payload" "$app" || echo "peer_bench: $kind installed other files" >&2
      # _?= keeps the uninstaller in place, so that it ends when the removal does.
      remove=$(seconds wine 'C:\PeerBench\uninstall.exe' /S '_?=C:\PeerBench') ;;
    msi)
      cp "$work/msi-$payload.msi" "$work/prefix/drive_c/product.msi"
      install=$(seconds wine msiexec /i 'C:\product.msi' /qn)
      installed_matches "$payload" "$app" || echo "peer_bench: the MSI installed other files" >&2
      remove=$(seconds wine msiexec /x 'C:\product.msi' /qn) ;;
  esac
  local left
  left=$({ find "$app" -type f 2>/dev/null || true; } | wc -l)
  [ "$left" -le 1 ] || echo "peer_bench: $kind left $left files after its removal" >&2
  echo "$install $remove"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

host_install() {  # payload -> wall seconds of the same distribution installed by the host setup
  local payload=$1 dist=$work/dist-host-$payload start end
  [ -d "$dist" ] || "$host/setup-pack" build --script "$work/setup-$payload.txt" \
    --from "$work/payload-$payload" --out "$dist" >/dev/null 2>&1
  rm -rf "$work/machine"
  start=$(date +%s%N)
  (cd "$dist" && ./setup --machine="$work/machine" --unattended '--dir=C:\PeerBench' >/dev/null 2>&1)
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}

# --- The run ------------------------------------------------------------------------------------
echo "peer_bench: making the payloads and the distributions"
make_payloads
boot_template
kinds="setup setup-xz setup-solid nsis-zlib nsis-lzma msi"
declare -A install remove size
for payload in $payloads; do
  build_setup "$payload"
  build_nsis "$payload" zlib
  build_nsis "$payload" lzma
  build_msi "$payload"
  size[setup-$payload]=$(size_of "$work/dist-setup-$payload")
  size[setup-xz-$payload]=$(size_of "$work/dist-setup-xz-$payload")
  size[setup-solid-$payload]=$(size_of "$work/setup-solid-$payload.exe")
  size[nsis-zlib-$payload]=$(size_of "$work/nsis-zlib-$payload.exe")
  size[nsis-lzma-$payload]=$(size_of "$work/nsis-lzma-$payload.exe")
  size[msi-$payload]=$(size_of "$work/msi-$payload.msi")
  for run in $(seq 1 "$runs"); do
    for kind in $kinds; do
      read -r i r < <(run_one "$kind" "$payload")
      install[$kind-$payload]+="$i "
      remove[$kind-$payload]+="$r "
      echo "  run $run, $payload payload, $kind: install ${i}s, removal ${r}s"
    done
  done
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }'; }
goal() {  # text value limit
  local verdict=met
  awk -v a="$2" -v b="$3" 'BEGIN { exit !(a <= b) }' || verdict="NOT met"
  printf '  %-58s %s\n' "$1" "$verdict"
}
echo
for payload in $payloads; do
  base_install=$(tr ' ' '\n' <<<"${install[nsis-zlib-$payload]}" | grep . | median)
  base_remove=$(tr ' ' '\n' <<<"${remove[nsis-zlib-$payload]}" | grep . | median)
  base_size=${size[nsis-zlib-$payload]}
  echo "$payload payload, medians of $runs (ratios to NSIS zlib):"
  printf '  %-11s %9s %7s %9s %7s %10s %7s\n' installer install ratio removal ratio size ratio
  for kind in $kinds; do
    i=$(tr ' ' '\n' <<<"${install[$kind-$payload]}" | grep . | median)
    r=$(tr ' ' '\n' <<<"${remove[$kind-$payload]}" | grep . | median)
    s=${size[$kind-$payload]}
    printf '  %-11s %8.2fs %7s %8.2fs %7s %8.1fMB %7s\n' "$kind" "$i" "$(ratio "$i" "$base_install")" \
      "$r" "$(ratio "$r" "$base_remove")" "$(awk -v b="$s" 'BEGIN { print b / 1048576 }')" \
      "$(ratio "$s" "$base_size")"
    eval "median_install_${kind//-/_}=$i median_remove_${kind//-/_}=$r"
  done
  printf '  %-11s %8.2fs (the same distribution installed by the host setup)\n' "host" \
    "$(host_install "$payload")"
  if [ "$payload" = small ]; then
    goal "3,000 small files: install at most 0.9x NSIS zlib" "$median_install_setup" \
      "$(awk -v b="$base_install" 'BEGIN { print 0.9 * b }')"
    goal "3,000 small files: removal at most NSIS zlib's" "$median_remove_setup" "$base_remove"
  else
    goal "84 MB in 5 files: install at most NSIS zlib's" "$median_install_setup" "$base_install"
  fi
  goal "$payload: solid bundle size at most 1.0x NSIS /SOLID lzma" "${size[setup-solid-$payload]}" \
    "${size[nsis-lzma-$payload]}"
  goal "$payload: xz distribution size at most NSIS zlib's" "${size[setup-xz-$payload]}" \
    "$base_size"
  goal "$payload: solid bundle install at most NSIS lzma's" "$median_install_setup_solid" \
    "$median_install_nsis_lzma"
  echo
done

# LZMA decoding on the host: the installer's decoder (setup-pack expand) against xz -dc on the
# same stream, interleaved, best of five.
sample=$work/payload-large/part0.bin
[ -f "$sample" ] || sample=$(find "$work/payload-small" -type f | head -n 1)
"$host/setup-pack" compress --codec xz "$sample" "$work/decode.xz" >/dev/null
host_seconds() {  # command... -> its wall time
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}
best_setup=999999 best_xz=999999
for run in 1 2 3 4 5; do
  t=$(host_seconds "$host/setup-pack" expand --codec xz "$work/decode.xz" "$work/decoded")
  best_setup=$(awk -v a="$t" -v b="$best_setup" 'BEGIN { print (a < b ? a : b) }')
  t=$(host_seconds sh -c 'xz -dc "$1" >"$2"' - "$work/decode.xz" "$work/decoded-xz")
  best_xz=$(awk -v a="$t" -v b="$best_xz" 'BEGIN { print (a < b ? a : b) }')
done
cmp -s "$sample" "$work/decoded" || echo "peer_bench: setup-pack expand decoded other bytes" >&2
printf 'host LZMA decoding of %s MB: setup-pack expand %.3fs, xz -dc %.3fs (speed %s of xz)\n' \
  "$(awk -v b="$(size_of "$sample")" 'BEGIN { printf "%.1f", b / 1048576 }')" "$best_setup" \
  "$best_xz" "$(ratio "$best_xz" "$best_setup")"
goal "host LZMA decoding at least 0.9x the speed of xz -dc" "$best_setup" \
  "$(awk -v b="$best_xz" 'BEGIN { print b / 0.9 }')"
