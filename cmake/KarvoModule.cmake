# How the plug-in module is linked, beyond what shell/ gives it: small with
# the runtime linked in statically, the same bytes from build to build, and
# the version resource fed from the project's version and the commit.

configure_file(${CMAKE_CURRENT_LIST_DIR}/karvo_version.h.in
  ${CMAKE_BINARY_DIR}/generated/karvo_version.h @ONLY)
set(KARVO_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})
# The version resource's commit and copyright line (see karvo_module).
set(KARVO_SOURCE_HEADER ${CMAKE_BINARY_DIR}/generated/karvo_source.h)

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

    # The commit and copyright line, asked of git at every build and
    # rewritten only when they change.
    set(header ${KARVO_SOURCE_HEADER})
    add_custom_target(${target}_source_header
      COMMAND ${CMAKE_COMMAND} -DCHECKOUT=${PROJECT_SOURCE_DIR} -DOUTPUT=${header}
        -P ${KARVO_CMAKE_DIR}/write_source_header.cmake
      BYPRODUCTS ${header}
      VERBATIM)
    add_dependencies(${target} ${target}_source_header)
  endif()
endfunction()
