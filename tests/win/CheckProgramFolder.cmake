# Installs the Windows tree into a fresh folder and checks what a user gets:
# the three binaries, the delivered settings and help, no runtime DLLs of the
# compiler, and the plain-named exports of both libraries.
set(folder ${BUILD_DIR}/program-folder-check)
file(REMOVE_RECURSE ${folder})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${folder}
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

foreach(f BriskoCapture.exe Lumeral.dll BriskoCapture.dll config.ini help/index.htm)
  if(NOT EXISTS ${folder}/${f})
    message(FATAL_ERROR "program folder lacks ${f}")
  endif()
endforeach()

file(GLOB dlls RELATIVE ${folder} ${folder}/*.dll)
list(SORT dlls)
if(NOT dlls STREQUAL "BriskoCapture.dll;Lumeral.dll")
  message(FATAL_ERROR "program folder holds other DLLs: ${dlls}")
endif()

function(expect_exports file)
  execute_process(COMMAND ${OBJDUMP} -p ${folder}/${file} OUTPUT_VARIABLE dump RESULT_VARIABLE r)
  if(NOT r EQUAL 0)
    message(FATAL_ERROR "objdump -p ${file} failed")
  endif()
  foreach(name ${ARGN})
    # Lines of the export name table read "[ordinal] name"; undecorated means
    # the bare name ends the line.
    if(NOT dump MATCHES "\\] ${name}\n")
      message(FATAL_ERROR "${file} does not export ${name} by its plain name")
    endif()
  endforeach()
endfunction()
expect_exports(Lumeral.dll BitmapToEmf BitmapToWmf BitmapToIcon ShowForm)
expect_exports(BriskoCapture.dll EnableMouseHook DisableMouseHook)

# Only system DLLs may be imported besides our two libraries.
execute_process(COMMAND ${OBJDUMP} -p ${folder}/BriskoCapture.exe OUTPUT_VARIABLE dump)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(line ${imports})
  string(TOLOWER "${line}" line)
  if(line MATCHES "libgcc|libstdc|libwinpthread|zlib1|libpng|libjpeg|libtiff|libgif")
    message(FATAL_ERROR "BriskoCapture.exe depends on a compiler or library DLL: ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE ${folder})
message(STATUS "program folder complete")
