# Writes the build record that goes into the package: the commit, the time
# the packed files carry, and the version of every tool whose output is in
# the package, so that the release can be built again, byte for byte, long
# after this machine is gone. It names nothing of the machine beyond its
# system, and is rewritten only when it changed.
#
#   cmake -DCHECKOUT=<checkout> -DVERSION=<version> -DPACKAGE_NAME=<zip name>
#         -DCOMPILER=<c++> -DOBJCOPY=<objcopy> -DMINGW_HEADER=<_mingw_mac.h>
#         -DMAKE_PROGRAM=<ninja> -DPYTHON=<python3> -DOUTPUT=<file>
#         -P build_record.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/SourceState.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/WriteWhole.cmake)

karvo_commit_time(${CHECKOUT} epoch problem)
if(epoch STREQUAL "")
  message(FATAL_ERROR "No commit time for the package: ${problem}")
endif()
karvo_commit(${CHECKOUT} commit)

# The Debian package a file came with, where dpkg knows it (the file as
# named, else the one a link leads to).
function(debian_package file out)
  set(${out} "" PARENT_SCOPE)
  file(REAL_PATH ${file} real)
  execute_process(COMMAND dpkg-query --search ${file}
    OUTPUT_VARIABLE owner OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    execute_process(COMMAND dpkg-query --search ${real}
      OUTPUT_VARIABLE owner OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  endif()
  if(failed OR NOT owner MATCHES "^([^:, ]+)(:[a-z0-9]+)?: ")
    return()
  endif()
  set(package ${CMAKE_MATCH_1})
  execute_process(COMMAND dpkg-query --show --showformat=\${Version} ${package}
    OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(${out} " (Debian package ${package} ${version})" PARENT_SCOPE)
endfunction()

# "<name>: <version> (Debian package ...)": the version is the first line of
# what the command prints that matches the pattern.
function(tool_line out name file pattern)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE failed)
  string(REGEX MATCH "${pattern}" version "${said}")
  if(failed OR version STREQUAL "")
    message(FATAL_ERROR "Could not learn the version of ${name} from '${ARGN}': ${said}")
  endif()
  debian_package(${file} package)
  set(${out} "${name}: ${version}${package}\n" PARENT_SCOPE)
endfunction()

tool_line(compiler "compiler" ${COMPILER} "[^\n]+" ${COMPILER} --version)
tool_line(binutils "binutils" ${OBJCOPY} "[^\n]+" ${OBJCOPY} --version)
file(STRINGS ${MINGW_HEADER} mingw REGEX "#define __MINGW64_VERSION_(MAJOR|MINOR|BUGFIX) ")
string(REGEX REPLACE "[^;]* ([0-9]+)(;|$)" "\\1\\2" mingw "${mingw}")
string(REPLACE ";" "." mingw "${mingw}")
debian_package(${MINGW_HEADER} mingw_package)
tool_line(cmake "cmake" ${CMAKE_COMMAND} "cmake version [^\n]+" ${CMAKE_COMMAND} --version)
tool_line(ninja "ninja" ${MAKE_PROGRAM} "[^\n]+" ${MAKE_PROGRAM} --version)
find_program(ZIP zip REQUIRED)
tool_line(zip "zip" ${ZIP} "Zip [0-9][^,\n]*" ${ZIP} -v)
# (No semicolons in the Python: CMake would split the argument there.)
execute_process(COMMAND ${PYTHON} -c "print(__import__('pefile').__file__)"
  OUTPUT_VARIABLE pefile OUTPUT_STRIP_TRAILING_WHITESPACE)
tool_line(pefile "pefile" ${pefile} "[^\n]+" ${PYTHON} -c "print(__import__('pefile').__version__)")

set(system "unknown")
if(EXISTS /etc/os-release)
  file(STRINGS /etc/os-release pretty REGEX "^PRETTY_NAME=")
  string(REGEX REPLACE "^PRETTY_NAME=\"?([^\"]*)\"?$" "\\1" system "${pretty}")
endif()

cmake_host_system_information(RESULT processor QUERY OS_PLATFORM)

set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP time "%Y-%m-%d %H:%M:%S UTC" UTC)
set(record "Karvo Indent System ${VERSION}: build record

package: ${PACKAGE_NAME}
commit: ${commit}
SOURCE_DATE_EPOCH: ${epoch} (${time}, the time every packed file carries)
system: ${system}, ${processor}
${compiler}${binutils}mingw-w64: ${mingw}${mingw_package}
${cmake}${ninja}${zip}${pefile}
To build this release again: on that system with those versions, check
out the commit in a clone of the plug-in's repository and run

    scripts/check-reproducible ${PACKAGE_NAME}

which builds the release from it and compares the result with this
package, byte for byte.
")

karvo_write_whole(${OUTPUT} "${record}")
