# Builds the release zip, checks what it holds, unpacks it and runs the
# end-to-end checks of the window and the resources against the exe inside it.
#   cmake -DBINARY_DIR=... -DVERSION=... -DEMULATOR=... -DE2E=... -P CheckReleaseZip.cmake
execute_process(COMMAND "${CMAKE_CPACK_COMMAND}" --config "${BINARY_DIR}/CPackConfig.cmake"
                WORKING_DIRECTORY "${BINARY_DIR}" RESULT_VARIABLE rc OUTPUT_QUIET)
set(zip "${BINARY_DIR}/release/varnoth-${VERSION}-win64.zip")
if(NOT rc EQUAL 0 OR NOT EXISTS "${zip}")
    message(FATAL_ERROR "cpack did not make ${zip} (exit ${rc})")
endif()

set(unpacked "${BINARY_DIR}/release/unpacked")
file(REMOVE_RECURSE "${unpacked}")
file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${unpacked}")
file(GLOB contents RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT contents)
if(NOT contents STREQUAL "LICENSE;README.md;varnoth.exe")
    message(FATAL_ERROR "the zip holds [${contents}], not exactly varnoth.exe, README.md and LICENSE")
endif()
message(STATUS "${zip}: ${contents}")

# Wine sees the Unix root as drive Z:.
string(REPLACE "/" "\\" exe "Z:${unpacked}/varnoth.exe")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "VARNOTH_EXE=${exe}"
                        "${EMULATOR}" "${E2E}" --gtest_color=no
                        "--gtest_filter=MainWindowE2E.OpensCentred*:MainWindowE2E.Esc*:ResourcesE2E.*"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the exe from the zip failed its start-up checks (exit ${rc})")
endif()
