# The decoder benchmark's baseline: the decoder as it stood in an earlier commit, taken from git at
# configure time and moved into namespace setup::baseline, so that both decoders link into one
# program. Without git, or without that commit (a tarball, a shallow clone), the benchmark is built
# without a baseline and says so.
#
#   add_decoder_baseline(TARGET REVISION)
# adds the old sources to TARGET and defines SETUP_DECODER_BASELINE=1 on it, or defines
# SETUP_DECODER_BASELINE=0 and SETUP_DECODER_BASELINE_MISSING to the reason.

function(add_decoder_baseline target revision)
  # The tree and the decoder come from the old commit; the byte streams they are driven through
  # stay the current ones, so one source and one sink serve both decoders.
  set(old_files lzhuf_tree.h lzhuf_tree.cpp lzhuf_decoder.h lzhuf_decoder.cpp position_tables.h)
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/baseline")

  find_package(Git QUIET)
  set(missing "")
  if(NOT GIT_FOUND)
    set(missing "git is not installed")
  else()
    execute_process(
      COMMAND "${GIT_EXECUTABLE}" -C "${PROJECT_SOURCE_DIR}" cat-file -e "${revision}^{commit}"
      RESULT_VARIABLE has_commit OUTPUT_QUIET ERROR_QUIET)
    if(NOT has_commit EQUAL 0)
      set(missing "commit ${revision} is not in this checkout")
    endif()
  endif()

  set(contents "")
  if(NOT missing)
    foreach(file IN LISTS old_files)
      execute_process(
        COMMAND "${GIT_EXECUTABLE}" -C "${PROJECT_SOURCE_DIR}" show
                "${revision}:src/decompress/${file}"
        OUTPUT_VARIABLE content RESULT_VARIABLE shown ERROR_QUIET)
      if(NOT shown EQUAL 0)
        set(missing "src/decompress/${file} is not in commit ${revision}")
        break()
      endif()
      list(APPEND contents "${file}")
      set("content_${file}" "${content}")
    endforeach()
  endif()

  if(missing)
    message(STATUS "Decoder benchmark: baseline skipped (${missing})")
    target_compile_definitions(${target} PRIVATE SETUP_DECODER_BASELINE=0
                                                 SETUP_DECODER_BASELINE_MISSING="${missing}")
    return()
  endif()

  set(sources "")
  foreach(file IN LISTS contents)
    set(content "${content_${file}}")
    # Every namespace of the project's moves under setup::baseline (closing comments included).
    string(REGEX REPLACE "namespace setup([ :{])" "namespace setup::baseline\\1" content
                         "${content}")
    # The old files find each other beside themselves; other headers are the current ones.
    foreach(other IN LISTS old_files)
      string(REPLACE "#include \"decompress/${other}\"" "#include \"${other}\"" content
                     "${content}")
    endforeach()
    string(REPLACE "#include \"decompress/byte_stream.h\"" "#include \"shared_byte_stream.h\""
                   content "${content}")
    # Written only when it differs, so that a new configure run rebuilds nothing.
    file(WRITE "${out_dir}/${file}.new" "${content}")
    configure_file("${out_dir}/${file}.new" "${out_dir}/${file}" COPYONLY)
    file(REMOVE "${out_dir}/${file}.new")
    if(file MATCHES "\\.cpp$")
      list(APPEND sources "${out_dir}/${file}")
    endif()
  endforeach()
  # The current streams, visible from the old code's namespace under their usual names.
  file(WRITE "${out_dir}/shared_byte_stream.h.new"
       "// The current byte streams, under the names the old decoder uses for them.\n"
       "#pragma once\n\n#include \"decompress/byte_stream.h\"\n\n"
       "namespace setup::baseline::lzhuf {\nusing namespace ::setup::lzhuf;\n}\n")
  configure_file("${out_dir}/shared_byte_stream.h.new" "${out_dir}/shared_byte_stream.h" COPYONLY)
  file(REMOVE "${out_dir}/shared_byte_stream.h.new")

  message(STATUS "Decoder benchmark: baseline from commit ${revision}")
  target_sources(${target} PRIVATE ${sources})
  target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}")
  target_compile_definitions(${target} PRIVATE SETUP_DECODER_BASELINE=1
                                               SETUP_DECODER_BASELINE_REVISION="${revision}")
endfunction()
