# How the plug-in module is linked, beyond what shell/ gives it: small with
# the runtime linked in statically, the same bytes from build to build, and
# the version resource fed from the project's version.

configure_file(${CMAKE_CURRENT_LIST_DIR}/karvo_version.h.in
  ${CMAKE_BINARY_DIR}/generated/karvo_version.h @ONLY)

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
      -Wl,--defsym,_ZN9__gnu_cxx27__verbose_terminate_handlerEv=abort)
  endif()
endfunction()
