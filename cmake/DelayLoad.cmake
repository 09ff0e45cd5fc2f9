# System DLLs that the program needs only for some commands (dialogs,
# sounds, the shell) are loaded on first use instead of at start. Under Wine
# each of them costs tens of milliseconds of start-up; on Windows it is the
# same saving, smaller.
#
# brisko_delay_loaded_dlls(<target> <dll>...) defines an INTERFACE target
# that links the DLLs delay-loaded: with MinGW through delay-import
# libraries made by dlltool from every export of the toolchain's import
# library, with MSVC through /DELAYLOAD.
function(brisko_delay_loaded_dlls target)
  add_library(${target} INTERFACE)
  if(MSVC)
    foreach(dll ${ARGN})
      target_link_libraries(${target} INTERFACE ${dll})
      target_link_options(${target} INTERFACE /DELAYLOAD:${dll}.dll)
    endforeach()
    target_link_libraries(${target} INTERFACE delayimp)
    return()
  endif()
  if(NOT MINGW)
    target_link_libraries(${target} INTERFACE ${ARGN})
    return()
  endif()
  find_program(BRISKO_DLLTOOL NAMES ${MINGW_TRIPLE}-dlltool dlltool REQUIRED)
  find_program(BRISKO_NM NAMES ${MINGW_TRIPLE}-nm nm REQUIRED)
  set(out ${PROJECT_BINARY_DIR}/delayload)
  file(MAKE_DIRECTORY ${out})
  foreach(dll ${ARGN})
    find_library(import_${dll} NAMES lib${dll}.a ${dll} REQUIRED)
    execute_process(COMMAND ${BRISKO_NM} -g ${import_${dll}} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot list the exports of ${import_${dll}}")
    endif()
    string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE " I __imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(JOIN imports "\n  " exports)
    file(WRITE ${out}/${dll}.def.new "LIBRARY ${dll}.dll\nEXPORTS\n  ${exports}\n")
    file(COPY_FILE ${out}/${dll}.def.new ${out}/${dll}.def ONLY_IF_DIFFERENT)
    add_custom_command(
      OUTPUT ${out}/lib${dll}_delay.a
      COMMAND ${BRISKO_DLLTOOL} --input-def ${out}/${dll}.def --output-delaylib ${out}/lib${dll}_delay.a
              --dllname ${dll}.dll
      DEPENDS ${out}/${dll}.def
      COMMENT "Delay-import library for ${dll}.dll"
      VERBATIM)
    add_custom_target(delayload_${dll} DEPENDS ${out}/lib${dll}_delay.a)
    add_dependencies(${target} delayload_${dll})
    target_link_libraries(${target} INTERFACE ${out}/lib${dll}_delay.a)
  endforeach()
endfunction()
