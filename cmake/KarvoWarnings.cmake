# karvo_warnings(target): the project's warning set, as errors when asked.
function(karvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KARVO_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# karvo_plugin_code(target [UNCOUNTED]): compiled into the plug-in module,
# which exports its seven entry points and nothing else. UNCOUNTED: without
# the line counters even where the build counts them (a copy of the
# plug-in's code built to be measured, not tested).
function(karvo_plugin_code target)
  cmake_parse_arguments(ARG "UNCOUNTED" "" "" ${ARGN})
  karvo_warnings(${target})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  # A function whose local buffer was overrun ends the program rather than
  # return through what the overrun wrote. Whatever links the plug-in's code
  # links the protector's runtime too (mingw-w64: libssp).
  target_compile_options(${target} PRIVATE -fstack-protector-strong)
  target_link_options(${target} INTERFACE -fstack-protector-strong)
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  # Only the plug-in's own code is counted; whatever links it links the
  # counters' runtime.
  if(KARVO_COVERAGE AND NOT ARG_UNCOUNTED)
    target_compile_options(${target} PRIVATE --coverage)
    target_link_options(${target} PUBLIC --coverage)
  endif()
endfunction()
