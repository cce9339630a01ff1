# The release package: `cpack` in the build folder makes
# Quillmere-<version>-win32.zip with the executable, the user guide and the
# licence. The guide is the user-guide section of the README, cut out at its
# markers, so the two never disagree; it gets Windows line ends, as Notepad
# before Windows 10 shows nothing else.
install(TARGETS Quillmere RUNTIME DESTINATION .)

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
string(STRIP "${guide}" guide)
string(REPLACE "\n" "\r\n" guide "Quillmere ${PROJECT_VERSION}: user guide\n\n${guide}\n")
file(WRITE ${CMAKE_BINARY_DIR}/package/Quillmere.txt "${guide}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/README.md)

file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE ${CMAKE_BINARY_DIR}/package/LICENSE.txt "${licence}")

install(FILES ${CMAKE_BINARY_DIR}/package/Quillmere.txt ${CMAKE_BINARY_DIR}/package/LICENSE.txt
  DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(package_platform win32)
else()
  set(package_platform win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quillmere)
set(CPACK_PACKAGE_VENDOR "The Quillmere developers")
set(CPACK_PACKAGE_FILE_NAME "Quillmere-${PROJECT_VERSION}-${package_platform}")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
include(CPack)
