# How the plug-in module is linked, beyond what shell/ gives it: small with
# the runtime linked in statically, the same bytes from build to build, and
# the version resource fed from the project's version and the commit.

configure_file(${CMAKE_CURRENT_LIST_DIR}/karvo_version.h.in
  ${CMAKE_BINARY_DIR}/generated/karvo_version.h @ONLY)
set(KARVO_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})
# The commit and copyright line, for the module's version resource and the
# host program's --version: asked of git at every build and rewritten only
# when they change.
set(KARVO_SOURCE_HEADER ${CMAKE_BINARY_DIR}/generated/karvo_source.h)
add_custom_target(karvo_source_header
  COMMAND ${CMAKE_COMMAND} -DCHECKOUT=${PROJECT_SOURCE_DIR} -DOUTPUT=${KARVO_SOURCE_HEADER}
    -P ${KARVO_CMAKE_DIR}/write_source_header.cmake
  BYPRODUCTS ${KARVO_SOURCE_HEADER}
  VERBATIM)

# karvo_module(target): those settings, on the module target.
function(karvo_module target)
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  # Sections nothing refers to stay out, most of all the parts of the static
  # runtime that the plug-in never calls.
  target_link_options(${target} PRIVATE -Wl,--gc-sections)
  if(WIN32)
    target_link_options(${target} PRIVATE
      # Zero instead of the link time in the PE header.
      -Wl,--no-insert-timestamp
      # The runtime's own terminate handler names the exception on standard
      # error before it aborts, and brings the C++ demangler and printf with
      # it, a third of the module. A host program has no standard error to
      # read, and no exception leaves the exports: terminate() aborts at once.
      -Wl,--defsym,_ZN9__gnu_cxx27__verbose_terminate_handlerEv=abort
      # The map names every file the link took code from; the release's
      # third-party notices are made from it.
      -Wl,-Map=$<TARGET_FILE:${target}>.map)

    add_dependencies(${target} karvo_source_header)
  endif()
endfunction()
