# cmake -P ObjdumpImportsTest.cmake
# The import reader of CheckExecutable.cmake on excerpts of `objdump -p` as
# each supported Debian release's binutils prints them (the executable being
# checked shows only the layout of the binutils at hand), and on a layout it
# does not know, which must stop the check rather than pass it with no import
# read.
include(${CMAKE_CURRENT_LIST_DIR}/ObjdumpImports.cmake)

set(failures "")
# expect(<binutils> <the tables as objdump prints them> <imports, or ERROR>)
function(expect case dump expected)
  quillmere_objdump_imports("${dump}" imports error)
  if(error)
    set(got ERROR)
  else()
    list(JOIN imports " " got)
  endif()
  if(NOT got STREQUAL expected)
    set(failures "${failures}${case}: read \"${got}\" (${error}), expected \"${expected}\"\n" PARENT_SCOPE)
  endif()
endfunction()

expect(2.40 " vma:            Hint    Time      Forward  DLL       First
 00053014\t00053090 00000000 00000000 00053fd4 00053304

\tDLL Name: KERNEL32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t5361c\t  136  CloseHandle
\t80000005\t    5  <none>

 00053028\t00053170 00000000 00000000 00054090 000533e4
" "KERNEL32.dll!CloseHandle KERNEL32.dll!#5")

expect(2.44 "\tDLL Name: KERNEL32.dll
\tvma:     Ordinal  Hint  Member-Name  Bound-To
\t00053304  <none>  0088  CloseHandle
\t00007100      5  <none> <none>

" "KERNEL32.dll!CloseHandle KERNEL32.dll!#5")

expect(unknown "\tDLL Name: KERNEL32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t5361c  CloseHandle  136

" ERROR)

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "objdump's import tables read in the layouts of binutils 2.40 and 2.44; an unknown one stops the check")
