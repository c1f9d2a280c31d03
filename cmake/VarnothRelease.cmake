# The release: one zip with the stripped exe, the README and the license.
# `cpack --config build/windows/CPackConfig.cmake` (or scripts/release) makes
# varnoth-<version>-win64.zip; the exe's version record carries the same version.
install(TARGETS varnoth RUNTIME DESTINATION .)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME varnoth)
set(CPACK_PACKAGE_VENDOR "The Varnoth developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "varnoth-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_BINARY_DIR}/release")
include(CPack)
