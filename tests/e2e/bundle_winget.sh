# setup-pack bundle --winget: a singleton winget manifest that a YAML library reads, every field
# matching the bundle (its SHA-256, the uninstall key's name as ProductCode, the silent switches
# the installer takes); without --version or --publisher the command refuses.
source "$(dirname "$0")/support.bash"
python3 -c 'import yaml' 2>/dev/null || { echo "python3-yaml is missing" >&2; exit 77; }

dist=$WORK/dist
make_sample_dist "$dist"
run_in "$WORK" "$PACK" bundle "$dist" --out "$WORK/SampleSetup.exe" --name 'Sample Notes' \
  --version 1.2 --publisher "Sample Corp's" --winget "$WORK/manifests"
expect_eq 0 "$STATUS" "bundle --winget: $ERR"
manifest=$WORK/manifests/SampleCorps.SampleNotes.yaml
[ -f "$manifest" ] || fail "no manifest: $(ls "$WORK/manifests" 2>&1)"

python3 - "$manifest" "$(sha256sum "$WORK/SampleSetup.exe" | cut -d' ' -f1)" <<'EOF_PY' || fail "the manifest does not match the bundle"
import sys, yaml
m = yaml.safe_load(open(sys.argv[1], encoding="utf-8"))
expected = {"PackageIdentifier": "SampleCorps.SampleNotes", "PackageVersion": "1.2",
            "Publisher": "Sample Corp's", "PackageName": "Sample Notes",
            "ManifestType": "singleton", "ManifestVersion": "1.6.0"}
bad = [k for k, v in expected.items() if m.get(k) != v]
assert not bad, ("fields", bad, m)
assert m.get("License"), "no License placeholder"
(installer,) = m["Installers"]
assert installer["InstallerType"] == "exe", installer
assert installer["InstallerSha256"] == sys.argv[2], installer
assert installer["ProductCode"] == "Sample Notes", installer
switches = installer["InstallerSwitches"]
assert switches == {"Silent": "/VERYSILENT", "SilentWithProgress": "/SILENT",
                    "InstallLocation": '/DIR="<INSTALLPATH>"', "Log": '/LOG="<LOGPATH>"'}, switches
EOF_PY

run_in "$WORK" "$PACK" bundle "$dist" --out "$WORK/Other.exe" --name 'Sample Notes' --winget "$WORK/m2"
expect_eq 2 "$STATUS" "--winget without --version"
expect_contains "$ERR" "--version and --publisher" "the refusal"
echo "bundle_winget: ok"
