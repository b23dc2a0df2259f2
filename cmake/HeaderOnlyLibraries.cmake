# CLI11 and nlohmann-json come as Debian's header-only packages under
# /usr/include. The Windows cross build must not see the rest of
# /usr/include (the Linux C library's headers), so each library's own folder
# is exposed through a link in the build tree.
set(KARVO_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third-party-include)
file(MAKE_DIRECTORY ${KARVO_THIRD_PARTY_INCLUDE})

foreach(header_dir CLI nlohmann)
  set(source_dir /usr/include/${header_dir})
  if(NOT EXISTS ${source_dir})
    message(FATAL_ERROR "${source_dir} is missing: run scripts/install-dependencies")
  endif()
  file(CREATE_LINK ${source_dir} ${KARVO_THIRD_PARTY_INCLUDE}/${header_dir} SYMBOLIC)
endforeach()

add_library(karvo_third_party_headers INTERFACE)
target_include_directories(karvo_third_party_headers SYSTEM INTERFACE ${KARVO_THIRD_PARTY_INCLUDE})
