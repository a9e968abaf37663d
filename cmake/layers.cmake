# Runs cmake/check_layers.cmake on every build, so an include that goes up a layer fails it.
file(GLOB_RECURSE SETUP_LAYERED_SOURCES CONFIGURE_DEPENDS
  ${SETUP_SOURCE_ROOT}/src/*.h ${SETUP_SOURCE_ROOT}/src/*.cpp
  ${SETUP_SOURCE_ROOT}/tools/*.h ${SETUP_SOURCE_ROOT}/tools/*.cpp)
set(SETUP_LAYER_STAMP ${CMAKE_BINARY_DIR}/layers.checked)
add_custom_command(
  OUTPUT ${SETUP_LAYER_STAMP}
  COMMAND ${CMAKE_COMMAND} -DROOT=${SETUP_SOURCE_ROOT} -P ${SETUP_SOURCE_ROOT}/cmake/check_layers.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${SETUP_LAYER_STAMP}
  DEPENDS ${SETUP_LAYERED_SOURCES} ${SETUP_SOURCE_ROOT}/cmake/check_layers.cmake
  COMMENT "Checking that includes follow the layers"
  VERBATIM)
add_custom_target(setup_layer_check DEPENDS ${SETUP_LAYER_STAMP})
