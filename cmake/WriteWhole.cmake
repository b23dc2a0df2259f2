# karvo_write_whole(<file> <text>): writes the file whole or not at all (a
# file beside it, renamed over it), and only when its text changes, so that
# nothing that depends on it is made again for nothing. For scripts run with
# cmake -P.
function(karvo_write_whole file text)
  if(EXISTS ${file})
    file(READ ${file} before)
    if(before STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE ${file}.unfinished "${text}")
  file(RENAME ${file}.unfinished ${file})
endfunction()
