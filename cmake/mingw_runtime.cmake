# The C++ runtime of the MinGW toolchain beside the programs and modules, where
# Windows looks for a module's DLLs first: the build's output folder runs as it
# is, on Windows or under wine.
foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "The MinGW toolchain has no ${dll}: the Windows programs cannot run without it")
  endif()
  file(COPY ${dll_path} DESTINATION ${RUV_OUTPUT_DIR})
endforeach()
