# quillmere_objdump_imports(<dump> <imports-var> <error-var>)
# Reads the import tables out of `objdump -p` output <dump>: each DLL's table
# is a "DLL Name:" line, a heading line, one line per function and a blank
# line. Sets <imports-var> to "DLL!Function" for each import by name and
# "DLL!#N" for each import by ordinal N (which we would have to look up by
# number), and <error-var> to a message when a heading or a line is not in a
# layout known here, or when there are no imports at all: objdump's layout
# changes between binutils releases, and a line skipped unread would let an
# import pass the check unseen.
#
# binutils 2.40 (Debian 12): the vma, a tab, the hint in decimal, two blanks
# and the name, or "<none>" after the ordinal for an import by ordinal:
#	vma:  Hint/Ord Member-Name Bound-To
#	5361c	  136  CloseHandle
#	80000005	    5  <none>
# binutils 2.44 (Debian 13): the vma, then the ordinal and the hint (in hex),
# each "<none>" where the import has none, then the name:
#	vma:     Ordinal  Hint  Member-Name  Bound-To
#	00053304  <none>  0088  CloseHandle
#	00007100      5  <none> <none>
function(quillmere_objdump_imports dump imports_var error_var)
  string(REPLACE ";" "\\;" dump "${dump}")
  string(REPLACE "\n" ";" lines "${dump}")
  set(imports "")
  set(dll "")
  set(layout "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^\tDLL Name: (.+)$")
      set(dll "${CMAKE_MATCH_1}")
      set(layout "")
    elseif(NOT dll)
    elseif(line STREQUAL "")
      set(dll "")
    elseif(NOT layout)
      if(line STREQUAL "\tvma:  Hint/Ord Member-Name Bound-To")
        set(layout 2.40)
      elseif(line MATCHES "^\tvma: +Ordinal +Hint +Member-Name +Bound-To$")
        set(layout 2.44)
      else()
        set(${error_var} "objdump heads the imports of ${dll} with a line this script does not read:\n${line}"
          PARENT_SCOPE)
        return()
      endif()
    elseif(layout STREQUAL 2.40 AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  ([^ \t]+)$"
           AND NOT CMAKE_MATCH_1 STREQUAL "<none>")
      list(APPEND imports "${dll}!${CMAKE_MATCH_1}")
    elseif(layout STREQUAL 2.40 AND line MATCHES "^\t[0-9a-f]+\t +([0-9]+)  <none>$")
      list(APPEND imports "${dll}!#${CMAKE_MATCH_1}")
    elseif(layout STREQUAL 2.44 AND line MATCHES "^\t[0-9a-f]+  <none>  [0-9a-f]+  ([^ \t]+)$")
      list(APPEND imports "${dll}!${CMAKE_MATCH_1}")
    elseif(layout STREQUAL 2.44 AND line MATCHES "^\t[0-9a-f]+ +([0-9]+)  <none> <none>$")
      list(APPEND imports "${dll}!#${CMAKE_MATCH_1}")
    else()
      set(${error_var} "objdump lists an import of ${dll} in a line this script does not read:\n${line}"
        PARENT_SCOPE)
      return()
    endif()
  endforeach()
  if(NOT imports)
    set(${error_var} "found no imports: objdump's format is not one this script reads" PARENT_SCOPE)
    return()
  endif()
  set(${imports_var} "${imports}" PARENT_SCOPE)
  set(${error_var} "" PARENT_SCOPE)
endfunction()
