# The layers' include rules: a file may include only headers of its own layer or of layers below.
#   cmake -DROOT=<source root> -P cmake/check_layers.cmake
# Each rule: a folder (below ROOT) and the include paths its files may use, as regular
# expressions, separated by "!".
set(PLATFORM_API "^platform/[a-z0-9_]+\\.h$")
set(RESOURCES "^resources/resource\\.h$")
set(CORE "^(app|script|install|decompress)/")

set(rules
  "src/platform/api!${PLATFORM_API}!${RESOURCES}"
  "src/decompress!^decompress/!${PLATFORM_API}"
  "src/script!${CORE}!${PLATFORM_API}!${RESOURCES}"
  "src/app!${CORE}!${PLATFORM_API}!${RESOURCES}"
  "src/install!${CORE}!${PLATFORM_API}!${RESOURCES}"
  "src/uninstall!^uninstall/!${CORE}!${PLATFORM_API}!${RESOURCES}"
  "src/ui!^ui/!${PLATFORM_API}!${RESOURCES}"
  "src/bundle!^bundle/!${PLATFORM_API}"
  "src/platform/host!^platform/host/!${PLATFORM_API}"
  "src/platform/win32!^platform/win32/!${PLATFORM_API}!${RESOURCES}"
  "tools/setup_pack!^(setup_pack/)?[a-z_]+\\.h$!${CORE}!^uninstall/!^ui/|^platform/|^bundle/!${RESOURCES}")

set(violations "")
foreach(rule IN LISTS rules)
  string(REPLACE "!" ";" parts "${rule}")
  list(POP_FRONT parts folder)
  if(folder STREQUAL "src/platform/api")
    file(GLOB files ${ROOT}/src/platform/*.h ${ROOT}/src/platform/*.cpp)
  else()
    file(GLOB_RECURSE files ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  endif()
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      set(allowed FALSE)
      foreach(pattern IN LISTS parts)
        if(header MATCHES "${pattern}")
          set(allowed TRUE)
        endif()
      endforeach()
      if(NOT allowed)
        file(RELATIVE_PATH name ${ROOT} ${file})
        string(APPEND violations "  ${name} includes \"${header}\"\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "Includes that go up a layer (see src/CMakeLists.txt):\n${violations}")
endif()
