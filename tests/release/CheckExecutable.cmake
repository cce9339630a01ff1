# cmake -DOBJDUMP=... -DEXE=... -DLIST=... -DWINDOWS_VERSION=5.1 -P CheckExecutable.cmake
# Fails when EXE imports a function that LIST does not name (so nothing newer
# than the oldest Windows we support slips in unnoticed, as GetTickCount64
# once did through a runtime library), when its header claims another
# Windows version than WINDOWS_VERSION, or when it loses its hardening: ASLR
# (a movable image that keeps its relocations), DEP, Terminal-Server
# awareness, and a PE checksum that matches its bytes.
foreach(var OBJDUMP EXE LIST WINDOWS_VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckExecutable.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${EXE}
  OUTPUT_VARIABLE dump ERROR_VARIABLE dump_error RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed: ${dump_error}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ObjdumpImports.cmake)
quillmere_objdump_imports("${dump}" imports error)
if(error)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE}: ${error}")
endif()

file(STRINGS ${LIST} entries REGEX "^[^#]")
set(unlisted "")
foreach(import IN LISTS imports)
  list(FIND entries "${import}" at)
  if(at EQUAL -1)
    list(APPEND unlisted "${import}")
  endif()
endforeach()
set(gone "")
foreach(entry IN LISTS entries)
  list(FIND imports "${entry}" at)
  if(at EQUAL -1)
    list(APPEND gone "${entry}")
  endif()
endforeach()
if(gone)
  list(JOIN gone "\n  " gone)
  message(STATUS "Listed in ${LIST} but no longer imported (may be removed):\n  ${gone}")
endif()

set(problems "")
if(unlisted)
  list(JOIN unlisted "\n  " unlisted)
  string(APPEND problems "${EXE} imports what ${LIST} does not list:\n  ${unlisted}\n"
    "Check that each exists in Windows XP SP3 (and comes from a system DLL), then add it "
    "to ${LIST}; or find what pulled it in (link with -Wl,-Map).\n")
endif()
foreach(field "OSystem;operating system" "Subsystem;subsystem")
  list(GET field 0 key)
  list(GET field 1 name)
  if(dump MATCHES "Major${key}Version\t([0-9]+)\nMinor${key}Version\t([0-9]+)")
    set(found "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}")
  else()
    set(found "(not found)")
  endif()
  if(NOT found STREQUAL WINDOWS_VERSION)
    string(APPEND problems "${EXE}: the header's ${name} version is ${found}, not ${WINDOWS_VERSION}.\n")
  endif()
endforeach()

# Hardening, as objdump prints it: the DllCharacteristics flags by name, the
# characteristics' "relocations stripped", the base relocation directory.
foreach(flag DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE)
  if(NOT dump MATCHES "\n\t+${flag}\n")
    string(APPEND problems "${EXE}: DllCharacteristics lacks ${flag}.\n")
  endif()
endforeach()
if(dump MATCHES "\n\trelocations stripped\n")
  string(APPEND problems "${EXE}: its relocations are stripped, so ASLR cannot move it.\n")
endif()
if(NOT dump MATCHES "Entry 5 [0-9a-f]+ ([0-9a-f]+) Base Relocation Directory" OR CMAKE_MATCH_1 MATCHES "^0+$")
  string(APPEND problems "${EXE}: it has no base relocations, so ASLR cannot move it.\n")
endif()

# The PE checksum (the one Windows checks for drivers and some tools for any
# image): 16-bit little-endian words summed with end-around carry, the
# checksum field itself counted as zero, plus the file's length. A step that
# changes the file after the link and leaves the old value fails here.
file(READ ${EXE} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR file_length "${hex_length} / 2")
if(file_length LESS 256)
  message(FATAL_ERROR "${EXE} is too short to be an executable")
endif()
string(SUBSTRING "${hex}" 120 8 lfanew)  # e_lfanew at 0x3c, little-endian
string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" lfanew "${lfanew}")
math(EXPR field "(0x${lfanew} + 88) * 2")  # Signature, file header, 64 bytes of the optional header
string(SUBSTRING "${hex}" ${field} 8 stored)
string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" stored "${stored}")
math(EXPR after "${field} + 8")
string(SUBSTRING "${hex}" 0 ${field} before_field)
string(SUBSTRING "${hex}" ${after} -1 after_field)
set(hex "${before_field}00000000${after_field}")
if(file_length MATCHES "[13579]$")
  string(APPEND hex "00")
endif()
# Words as a list, each in the order math() reads: "3412" for bytes 12 34.
string(REGEX REPLACE "(..)(..)" "\\2\\1;" words "${hex}")
set(sum 0)
foreach(word IN LISTS words)
  if(word)
    math(EXPR sum "${sum} + 0x${word}")
    math(EXPR sum "(${sum} & 0xffff) + (${sum} >> 16)")
  endif()
endforeach()
math(EXPR sum "((${sum} & 0xffff) + (${sum} >> 16) + ${file_length}) & 0xffffffff" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR stored "0x${stored}" OUTPUT_FORMAT HEXADECIMAL)
if(stored EQUAL 0)
  string(APPEND problems "${EXE}: its PE checksum is 0 (none written).\n")
elseif(NOT sum EQUAL stored)
  string(APPEND problems "${EXE}: its PE checksum is ${stored}, its bytes sum to ${sum}.\n")
endif()

if(problems)
  message(FATAL_ERROR "${problems}")
endif()
list(LENGTH imports count)
message(STATUS "${EXE}: all ${count} imports listed in ${LIST}; header says Windows ${WINDOWS_VERSION}; "
  "ASLR with relocations, DEP, Terminal-Server aware; checksum ${stored} matches")
