# The include check itself: the tree passes it, and each kind of forbidden include planted in a
# copy of the tree makes it fail, naming the file and the include.
source "$(dirname "$0")/support.bash"

check() {  # root
  cmake -DROOT="$1" -P "$SOURCE_DIR/cmake/check_layers.cmake" >"$WORK/check.out" 2>&1
}

check "$SOURCE_DIR" || fail "the tree fails its own include check: $(cat "$WORK/check.out")"

# One case per line: the file to plant into, the include line, what the check must name.
while IFS='|' read -r file include named; do
  rm -rf "$WORK/tree"
  mkdir "$WORK/tree"
  cp -r "$SOURCE_DIR/src" "$SOURCE_DIR/tools" "$WORK/tree/"
  printf '%s\n' "$include" >>"$WORK/tree/$file"
  if check "$WORK/tree"; then
    fail "the check passed $file with: $include"
  fi
  grep -qF "$file includes $named" "$WORK/check.out" ||
    fail "the check did not name $file and $named: $(cat "$WORK/check.out")"
done <<'CASES'
src/script/macros.cpp|#include "app/setup_app.h"|"app/setup_app.h"
src/script/macros.cpp|#include "install/dlg_decompress.h"|"install/dlg_decompress.h"
src/base/path_parts.cpp|#include <script/setup_script.h>|"script/setup_script.h"
src/install/file_placement.cpp|#include "app/run_setup.h"|"app/run_setup.h"
src/uninstall/uninstall_engine.cpp|#include "install/file_operations.h"|"install/file_operations.h"
src/decompress/lzhuf_decoder.cpp|#include "script/scrambling.h"|"script/scrambling.h"
src/install/shortcuts.cpp|#include <unistd.h>|the system header <unistd.h>
src/main/setup_host.cpp|#include <windows.h>|the system header <windows.h>
src/main/setup_host.cpp|#include "support/fake_platform.h"|"support/fake_platform.h"
src/pack/tool_support.cpp|#include <sys/stat.h>|the system header <sys/stat.h>
src/ui/line_window_system.cpp|#include "platform/host/host_platform.h"|"platform/host/host_platform.h"
tools/ui_driver/driver.cpp|#include "install/dlg_decompress.h"|"install/dlg_decompress.h"
CASES
echo "layer_check: ok"
