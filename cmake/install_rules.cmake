# cmake --install: the toolkit a product author uses. The host programs go into bin/, and beside
# them the Windows programs of a win32 build when one exists, since setup-pack looks beside
# itself for the installer, the uninstaller and the bundle stubs; the documents and the sample
# into share/doc/setup; manual pages made from each program's --help into share/man/man1.
include(GNUInstallDirs)

install(TARGETS setup_exe uninstall_exe setup_pack setup_bundle_stub
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(SETUP_WIN32_BUILD_DIR ${PROJECT_SOURCE_DIR}/build/win32 CACHE PATH
  "The win32 build whose Setup.exe, Uninstall.exe and SetupStub.exe cmake --install adds")
# Looked for when installing, not when configuring: the win32 build may come later.
install(PROGRAMS ${SETUP_WIN32_BUILD_DIR}/Setup.exe ${SETUP_WIN32_BUILD_DIR}/Uninstall.exe
  ${SETUP_WIN32_BUILD_DIR}/SetupStub.exe
  DESTINATION ${CMAKE_INSTALL_BINDIR} OPTIONAL)

set(SETUP_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/setup)
install(FILES README.md SECURITY.md DESTINATION ${SETUP_DOC_DIR})
install(DIRECTORY docs/ DESTINATION ${SETUP_DOC_DIR}/docs FILES_MATCHING PATTERN "*.md")
install(DIRECTORY examples/ DESTINATION ${SETUP_DOC_DIR}/examples)

# The pages are made when the programs are built. Sanitizer builds make none: their programs
# would report at exit into the build.
find_program(SETUP_HELP2MAN help2man)
if(SETUP_HELP2MAN AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  set(pages)
  foreach(entry
      "setup_exe|setup|install a product from its distribution folder"
      "setup_pack|setup-pack|make, check and bundle a product's distribution"
      "uninstall_exe|uninstall|remove an installed product")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 target)
    list(GET entry 1 program)
    list(GET entry 2 description)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${SETUP_HELP2MAN} --no-info --name=${description}
              --output=${page} $<TARGET_FILE:${target}>
      DEPENDS ${target}
      VERBATIM)
    list(APPEND pages ${page})
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found (or a sanitizer build): no manual pages")
endif()
