# The release package: `cmake --build <build> --target zip` makes
# Quillmere-<version>-win32.zip with the executable, the user guide and the
# licence, and beside it Quillmere-<version>-win32.sha256 with the SHA-256 of
# the zip and of the executable. The guide is the user-guide section of the
# README, cut out at its markers, so the two never disagree, and turned into
# plain text for Notepad (cmake/GuideText.cmake).
# The zip is the same bytes wherever and whenever a commit is built (see
# cmake/MakeZip.cmake); it needs Info-ZIP's zip (package zip).
file(READ ${CMAKE_SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "<!-- user guide -->" guide_start)
string(FIND "${readme}" "<!-- end of user guide -->" guide_end)
if(guide_start EQUAL -1 OR guide_end LESS guide_start)
  message(FATAL_ERROR "README.md lacks the user guide markers the package needs")
endif()
string(LENGTH "<!-- user guide -->" marker_length)
math(EXPR guide_start "${guide_start} + ${marker_length}")
math(EXPR guide_length "${guide_end} - ${guide_start}")
string(SUBSTRING "${readme}" ${guide_start} ${guide_length} guide)
# The README names the package in its own words, in commands a player types:
# each name must be this version's, or those commands would name a file that
# no longer exists.
string(REGEX MATCHALL "Quillmere-[0-9][0-9.]*-win(32|64)" package_names "${readme}")
list(REMOVE_DUPLICATES package_names)
string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}")
list(FILTER package_names EXCLUDE REGEX "^Quillmere-${version_pattern}-win")
if(package_names)
  list(JOIN package_names ", " package_names)
  message(FATAL_ERROR "README.md names ${package_names}, but the project's version is ${PROJECT_VERSION}: "
    "write the version there as in CMakeLists.txt")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/GuideText.cmake)
quillmere_guide_text("# Quillmere ${PROJECT_VERSION}: user guide\n\n${guide}" guide)
file(WRITE ${CMAKE_BINARY_DIR}/package/Quillmere.txt "${guide}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/GuideText.cmake)

file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE ${CMAKE_BINARY_DIR}/package/LICENSE.txt "${licence}")

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(package_platform win32)
else()
  set(package_platform win64)
endif()
find_program(QUILLMERE_ZIP zip)
# Made each time it is asked for (it takes a moment): its file times are the
# commit's, which can change while the executable does not.
add_custom_target(zip
  COMMAND ${CMAKE_COMMAND}
    -DZIP=${QUILLMERE_ZIP}
    -DNAME=Quillmere-${PROJECT_VERSION}-${package_platform}
    -DEXE=$<TARGET_FILE:Quillmere>
    -DTEXTS=${CMAKE_BINARY_DIR}/package
    -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
    -DOUT=${CMAKE_BINARY_DIR}
    -P ${CMAKE_SOURCE_DIR}/cmake/MakeZip.cmake
  DEPENDS Quillmere
  COMMENT "Packing Quillmere-${PROJECT_VERSION}-${package_platform}.zip and its checksums"
  VERBATIM)
