# Packs the release for a user: the module, the install note, the licence
# and SHA256SUMS, in a zip whose bytes are the same whenever the same files
# are packed at the same commit: every file carries the commit's time and
# permissions 0644, the entries go in in name order, and Info-ZIP's zip -X
# records no owner and no access or change time. (CMake's own zip writer,
# which CPack uses, records each file's access and change times, so that no
# two packages would be alike.)
#
#   cmake -DMODULE=<module> -DNOTE=<install note> -DLICENSE=<licence>
#         -DCHECKOUT=<checkout> -DPACKAGE=<folder>/<name>.zip -P make_package.cmake
#
# The commit's time is SOURCE_DATE_EPOCH where that is set, else the time of
# the checkout's current commit. Other packages of this plug-in in the
# package's folder are removed: they are earlier versions' builds.

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
  set(problem "SOURCE_DATE_EPOCH is '${epoch}', not a number of seconds since 1970")
else()
  execute_process(COMMAND git -C ${CHECKOUT} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(problem "${CHECKOUT} is not a git checkout: set SOURCE_DATE_EPOCH to the time, in seconds since 1970, that the packed files should carry")
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "No commit time for the package: ${problem}")
endif()

get_filename_component(folder ${PACKAGE} DIRECTORY)
get_filename_component(name ${PACKAGE} NAME)
set(stage ${folder}/${name}.stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})
file(COPY_FILE ${MODULE} ${stage}/karvoindentsystem64.fxt)
file(COPY_FILE ${NOTE} ${stage}/INSTALL.txt)
file(COPY_FILE ${LICENSE} ${stage}/LICENSE.txt)
set(sums "")
foreach(file INSTALL.txt LICENSE.txt karvoindentsystem64.fxt)
  file(SHA256 ${stage}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS "${sums}")

set(files INSTALL.txt LICENSE.txt SHA256SUMS karvoindentsystem64.fxt)
execute_process(COMMAND chmod 0644 ${files}
  WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND touch -d @${epoch} ${files}
  WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
# zip writes times as local ones; in UTC every machine writes the same.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -q -X package.zip ${files}
  WORKING_DIRECTORY ${stage}
  COMMAND_ERROR_IS_FATAL ANY)

set(unchanged FALSE)
if(EXISTS ${PACKAGE})
  file(SHA256 ${PACKAGE} before)
  file(SHA256 ${stage}/package.zip after)
  if(before STREQUAL after)
    set(unchanged TRUE)
  endif()
endif()
if(NOT unchanged)
  file(RENAME ${stage}/package.zip ${PACKAGE})
endif()
file(REMOVE_RECURSE ${stage})

file(GLOB earlier ${folder}/karvoindentsystem64-*-win64.zip)
list(REMOVE_ITEM earlier ${PACKAGE})
if(earlier)
  file(REMOVE ${earlier})
endif()
