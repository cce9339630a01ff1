# cmake -DZIP=<zip> -DNAME=<name> -DEXE=<exe> -DTEXTS=<folder> -DSOURCE_DIR=<src> -DOUT=<folder> -P MakeZip.cmake
# Makes OUT/NAME.zip holding NAME/Quillmere.exe, NAME/Quillmere.txt and
# NAME/LICENSE.txt (from TEXTS), and OUT/NAME.sha256, the SHA-256 of the zip
# and of the executable as `sha256sum -c` reads them, with CR LF line ends.
# The same inputs give the same bytes for anyone: the entries come in a fixed
# order, without folder entries and without the extra fields that would carry
# the packer's user id and the files' access and change times (zip -X); each
# file's time is the commit's (SOURCE_DATE_EPOCH when set, else the time of
# the commit checked out in SOURCE_DIR) in UTC, and its mode is fixed.
foreach(var ZIP NAME EXE TEXTS SOURCE_DIR OUT)
  if(NOT ${var})
    message(FATAL_ERROR "MakeZip.cmake needs -D${var}=... (ZIP: install the package zip, then configure again)")
  endif()
endforeach()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  # Only a clone's own commit will do: sources unpacked from an archive
  # inside some other work tree would otherwise take that one's time.
  execute_process(COMMAND git -C ${SOURCE_DIR} rev-parse --show-toplevel
    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result ERROR_QUIET)
  file(REAL_PATH "${SOURCE_DIR}" source_real)
  if(result EQUAL 0 AND top STREQUAL source_real)
    execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result ERROR_QUIET)
  else()
    set(result 1)
  endif()
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${SOURCE_DIR} is not a git clone: set SOURCE_DATE_EPOCH to the time the files in the zip should carry (the commit's time, from the release notes)")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$" OR epoch LESS 315532800)
  message(FATAL_ERROR "SOURCE_DATE_EPOCH '${epoch}' is not a time from 1980 on, which zip needs")
endif()

set(stage ${OUT}/zip-stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/${NAME})
file(COPY_FILE ${EXE} ${stage}/${NAME}/Quillmere.exe)
file(COPY_FILE ${TEXTS}/Quillmere.txt ${stage}/${NAME}/Quillmere.txt)
file(COPY_FILE ${TEXTS}/LICENSE.txt ${stage}/${NAME}/LICENSE.txt)
file(CHMOD ${stage}/${NAME}/Quillmere.exe PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(CHMOD ${stage}/${NAME}/Quillmere.txt ${stage}/${NAME}/LICENSE.txt PERMISSIONS OWNER_READ OWNER_WRITE
  GROUP_READ WORLD_READ)
set(entries ${NAME}/LICENSE.txt ${NAME}/Quillmere.exe ${NAME}/Quillmere.txt)
execute_process(COMMAND touch -d @${epoch} ${entries} WORKING_DIRECTORY ${stage} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "touch could not set the files' times")
endif()

set(zip ${OUT}/${NAME}.zip)
file(REMOVE ${zip})  # zip adds to an archive that exists
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${ZIP} -X -D -q ${zip} ${entries}
  WORKING_DIRECTORY ${stage} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${ZIP} failed to make ${zip}")
endif()
file(REMOVE_RECURSE ${stage})

file(SHA256 ${zip} zip_sum)
file(SHA256 ${EXE} exe_sum)
# CR LF, as the zip's texts: Notepad before Windows 10 1809 shows a file
# with bare LF ends on one line, and players compare its first line by eye.
# sha256sum -c reads either.
file(WRITE ${OUT}/${NAME}.sha256 "${zip_sum}  ${NAME}.zip\r\n${exe_sum}  ${NAME}/Quillmere.exe\r\n")
message(STATUS "${zip}\n   SHA-256 ${zip_sum}\n   Quillmere.exe SHA-256 ${exe_sum}")
