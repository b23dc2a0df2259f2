# Packs the release for a user: the module, the install note, the other
# text files and SHA256SUMS.txt, in a zip whose bytes are the same whenever
# the same files are packed: every file carries the time the build record
# gives (the commit's) and permissions 0644, the entries go in in name
# order, and Info-ZIP's zip -X records no owner and no access or change
# time. (CMake's own zip writer, which CPack uses, records each file's
# access and change times, so that no two packages would be alike.) Text
# files get Windows line ends, for the Notepad of any Windows.
#
#   cmake -DMODULE=<module> -DNOTE=<install note> -DTEXTS=<folder>
#         -DPACKAGE=<folder>/<name>.zip -P make_package.cmake
#
# TEXTS holds the package's other text files (*.txt), the build record
# BUILDINFO.txt among them. Other packages of this plug-in in the package's
# folder, of the same kind (signed or not), are removed: they are earlier
# versions' builds.

if(NOT EXISTS ${TEXTS}/BUILDINFO.txt)
  message(FATAL_ERROR "${TEXTS} has no build record, BUILDINFO.txt")
endif()
file(STRINGS ${TEXTS}/BUILDINFO.txt epoch REGEX "^SOURCE_DATE_EPOCH: [0-9]+ ")
if(NOT epoch MATCHES "^SOURCE_DATE_EPOCH: ([0-9]+) ")
  message(FATAL_ERROR "${TEXTS}/BUILDINFO.txt gives no SOURCE_DATE_EPOCH")
endif()
set(epoch ${CMAKE_MATCH_1})

get_filename_component(folder ${PACKAGE} DIRECTORY)
get_filename_component(name ${PACKAGE} NAME)
set(stage ${folder}/${name}.stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})

# Each text with CRLF line ends, whatever it had.
function(stage_text source name)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${stage}/${name} "${text}")
endfunction()

file(GLOB texts RELATIVE ${TEXTS} ${TEXTS}/*.txt)
list(REMOVE_ITEM texts INSTALL.txt SHA256SUMS.txt)
foreach(text ${texts})
  stage_text(${TEXTS}/${text} ${text})
endforeach()
stage_text(${NOTE} INSTALL.txt)
file(COPY_FILE ${MODULE} ${stage}/karvoindentsystem64.fxt)

set(files ${texts} INSTALL.txt karvoindentsystem64.fxt)
list(SORT files)
set(sums "")
foreach(file ${files})
  file(SHA256 ${stage}/${file} sum)
  string(APPEND sums "${sum}  ${file}\r\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS.txt "${sums}")
list(APPEND files SHA256SUMS.txt)
list(SORT files)

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

# Earlier versions' packages of the same kind: the name with another
# version in it.
string(REGEX REPLACE "^karvoindentsystem64-[^-]+-" "karvoindentsystem64-*-" pattern ${name})
file(GLOB earlier ${folder}/${pattern})
list(REMOVE_ITEM earlier ${PACKAGE})
if(earlier)
  file(REMOVE ${earlier})
endif()
