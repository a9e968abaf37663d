# The layers' include rules: a file may include only headers of its own folder or of the folders
# its layer may use, in either form ("..." or <...>).
#   cmake -DROOT=<source root> -P cmake/check_layers.cmake
# Each rule: a folder (below ROOT) and the include paths its files may use, as regular
# expressions, separated by "!". A folder's rule covers its subfolders unless one of them has a
# rule of its own; the most specific rule wins.
set(PLATFORM_API "^platform/[a-z0-9_]+\\.h$")
set(RESOURCES "^resources/resource\\.h$")
set(BASE "^base/")
set(DECOMPRESS "^decompress/")
set(SCRIPT "^script/")
set(INSTALL "^install/")
set(APP "^app/")
set(CORE "^(app|install|script|decompress|base)/")

set(rules
  "src/platform!${PLATFORM_API}!${RESOURCES}"
  "src/base!${BASE}!${PLATFORM_API}"
  "src/decompress!${DECOMPRESS}!${BASE}!${PLATFORM_API}"
  "src/script!${SCRIPT}!${BASE}!${PLATFORM_API}!${RESOURCES}"
  "src/install!${INSTALL}!${SCRIPT}!${DECOMPRESS}!${BASE}!${PLATFORM_API}!${RESOURCES}"
  "src/app!${APP}!${INSTALL}!${SCRIPT}!${DECOMPRESS}!${BASE}!${PLATFORM_API}!${RESOURCES}"
  "src/uninstall!^uninstall/!${SCRIPT}!${BASE}!${PLATFORM_API}!${RESOURCES}"
  "src/ui!^ui/!${PLATFORM_API}!${RESOURCES}"
  "src/bundle!^bundle/!^decompress/xz_stream\\.h$!${PLATFORM_API}"
  "src/pack!^pack/!${CORE}!^uninstall/!^ui/!^bundle/!^platform/!${RESOURCES}"
  "src/platform/host!^platform/host/!${PLATFORM_API}"
  "src/platform/win32!^platform/win32/!${PLATFORM_API}!${RESOURCES}"
  "src/main!${CORE}!^uninstall/!^ui/!^bundle/!^pack/!^platform/!${RESOURCES}"
  "tools!^[a-z_]+\\.h$!^platform/!${RESOURCES}")

# The operating system's own headers: only the platform implementations and the developers'
# tools may include them; everything else reaches the system through the platform interfaces.
set(SYSTEM_HEADERS
  "^(windows|winbase|winuser|winreg|winnt|commctrl|commdlg|shlobj|shellapi|shlwapi|objbase|ole2|objidl|wincrypt|bcrypt|io|direct|process|unistd|fcntl|dirent|poll|termios|signal|pthread|dlfcn|spawn|pwd|grp|curses|ncurses|ncursesw/[a-z]+|sys/[a-z_]+|linux/[a-z_]+|nettle/[a-z0-9_]+)\\.h$")
set(SYSTEM_FOLDERS "src/platform/host" "src/platform/win32" "tools")
# Folders whose names an angle-bracket include may start with and still be one of ours.
set(PROJECT_HEADERS "^(app|base|bundle|decompress|install|main|pack|platform|resources|script|ui|uninstall)/")

# The rule of the folder holding `file`: the longest rule folder that contains it.
function(rule_for file out)
  set(best "")
  set(best_length 0)
  foreach(rule IN LISTS rules)
    string(REPLACE "!" ";" parts "${rule}")
    list(GET parts 0 folder)
    string(LENGTH "${folder}" length)
    if(file MATCHES "^${folder}/" AND length GREATER best_length)
      set(best "${rule}")
      set(best_length ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/tools/*.h
     ${ROOT}/tools/*.cpp)
set(violations "")
foreach(name IN LISTS files)
  rule_for("${name}" rule)
  if(rule STREQUAL "")
    string(APPEND violations "  ${name} lies in no folder the layers name\n")
    continue()
  endif()
  string(REPLACE "!" ";" parts "${rule}")
  list(POP_FRONT parts folder)
  set(system_allowed FALSE)
  foreach(system_folder IN LISTS SYSTEM_FOLDERS)
    if(name MATCHES "^${system_folder}/")
      set(system_allowed TRUE)
    endif()
  endforeach()

  file(STRINGS ${ROOT}/${name} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" header "${line}")
    set(quoted FALSE)
    if(line MATCHES "include[ \t]*\"")
      set(quoted TRUE)
    endif()
    if(NOT quoted)
      if(header MATCHES "${SYSTEM_HEADERS}")
        if(NOT system_allowed)
          string(APPEND violations "  ${name} includes the system header <${header}>\n")
        endif()
        continue()
      endif()
      # Any other angle-bracket header is the standard library's or a library's, unless it
      # names one of our folders.
      if(NOT header MATCHES "${PROJECT_HEADERS}")
        continue()
      endif()
    endif()
    set(allowed FALSE)
    foreach(pattern IN LISTS parts)
      if(header MATCHES "${pattern}")
        set(allowed TRUE)
      endif()
    endforeach()
    if(NOT allowed)
      string(APPEND violations "  ${name} includes \"${header}\"\n")
    endif()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "Includes that go against the layers (see cmake/check_layers.cmake):\n${violations}")
endif()
