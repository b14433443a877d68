# Test programs of the Windows build, run under wine (make test-windows).
#
# Each program runs through the wrapper wine/run of the build folder, which
# runs it with Debian's wine64 in its WoW64 mode, in a wine prefix of this
# build's own (scripts/wine_setup.sh makes it, with wine's 32-bit Windows
# DLLs unpacked beside it).

set(RUV_WINE_DIR ${CMAKE_BINARY_DIR}/wine CACHE PATH
    "The wine set-up of this build: its prefix and wine's unpacked 32-bit DLLs")
set(RUV_WINE64 /usr/lib/wine/wine64 CACHE FILEPATH "Debian's wine64 loader")

configure_file(${CMAKE_CURRENT_LIST_DIR}/wine_run.sh.in ${RUV_WINE_DIR}/run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${RUV_WINE_DIR}/run)

# Wine shows the Linux file system as drive Z:. The test programs name their
# folders (RUV_OUTPUT_DIR, RUV_TEST_DATA_DIR, ...) as a Windows host names
# files, with the drive.
if(CMAKE_HOST_UNIX)
  set(RUV_TEST_PATH_PREFIX "Z:")
endif()
