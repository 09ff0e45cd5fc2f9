# Helpers shared by the CMake files of the tree.

add_library(brisko_warnings INTERFACE)
if(MSVC)
  target_compile_options(brisko_warnings INTERFACE /W4 /permissive- /utf-8)
else()
  target_compile_options(brisko_warnings INTERFACE -Wall -Wextra)
endif()

# Settings every Windows target of ours shares: the Unicode API, a lean
# windows.h and Windows 10 as the oldest platform.
add_library(brisko_win32 INTERFACE)
if(WIN32)
  target_compile_definitions(brisko_win32 INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0A00 WINVER=0x0A00)
endif()

include(DelayLoad)
if(WIN32)
  brisko_delay_loaded_dlls(brisko_delayed_dlls comdlg32 shell32 winmm ole32)
endif()

# A portable library of the core: standard C++ only, built in both trees.
function(brisko_portable_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE brisko_warnings)
endfunction()

# A library of the Windows shell.
function(brisko_windows_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC brisko_win32 PRIVATE brisko_warnings)
endfunction()

# Static MinGW builds of libtiff need their own dependencies on the link line;
# the find modules do not know about them.
function(brisko_complete_static_image_libraries)
  if(TARGET TIFF::TIFF AND TIFF_LIBRARY MATCHES "\\.a$" AND NOT TIFF_LIBRARY MATCHES "\\.dll\\.a$")
    set_property(TARGET TIFF::TIFF APPEND PROPERTY INTERFACE_LINK_LIBRARIES JPEG::JPEG ZLIB::ZLIB)
  endif()
endfunction()

# The program folder in the build tree: the three binaries, config.ini and
# help, laid out as they are installed, so tests can run the real thing.
set(BRISKO_PROGRAM_DIR ${PROJECT_BINARY_DIR}/program)
function(brisko_deliverable target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${BRISKO_PROGRAM_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${BRISKO_PROGRAM_DIR})
  install(TARGETS ${target} RUNTIME DESTINATION . LIBRARY DESTINATION .)
endfunction()
