# SPDX-License-Identifier: Apache-2.0
# Project-wide compiler settings and helpers shared by every room.

add_library(quillon_warnings INTERFACE)
target_compile_options(quillon_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Wunused -Woverloaded-virtual -Wimplicit-fallthrough
  $<$<BOOL:${QUILLON_WERROR}>:-Werror>)

if(QUILLON_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzzing build (clang only): everything is instrumented for coverage; fuzz targets link libFuzzer.
if(QUILLON_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUILLON_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  # Code may shrink its thresholds under this, so that short inputs reach its long-input paths.
  add_compile_definitions(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
  add_link_options(-fsanitize=address,undefined)
endif()

# quillon_fuzzer(NAME SOURCES... LIBS ...): a libFuzzer target, built only in the fuzzing build.
function(quillon_fuzzer name)
  if(NOT QUILLON_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  quillon_target(${name})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
endfunction()

# Every target sees the repository root as its include root: #include "platform/com/Error.h".
function(quillon_target name)
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
  target_link_libraries(${name} PRIVATE quillon_warnings)
endfunction()

set(QUILLON_RUNTIME_LIBRARIES platform_support platform_prefix platform_registry platform_com)

# A private shared library of the platform, installed to lib/quillon/ as libquillon-<room>.so
# with a version: its generic target name (platform_com) never reaches the library folder.
function(quillon_library name)
  add_library(${name} SHARED ${ARGN})
  quillon_target(${name})
  string(REGEX REPLACE "^platform_" "" room ${name})
  string(REPLACE "_" "-" room ${room})
  set_target_properties(${name} PROPERTIES
    OUTPUT_NAME quillon-${room}
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
  # The component runtime chain is what outside programs of Velpack link; only it is exported.
  if(name IN_LIST QUILLON_RUNTIME_LIBRARIES)
    set_target_properties(${name} PROPERTIES EXPORT_NAME ${room})
    install(TARGETS ${name} EXPORT VelpackTargets LIBRARY DESTINATION ${QUILLON_PRIVATE_LIBDIR})
  else()
    install(TARGETS ${name} LIBRARY DESTINATION ${QUILLON_PRIVATE_LIBDIR} NAMELINK_SKIP)
  endif()
endfunction()

# A server library: loaded by path through the registry, never linked against.
function(quillon_server_library name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so" INSTALL_RPATH "$ORIGIN")
  quillon_target(${name})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
  install(TARGETS ${name} LIBRARY DESTINATION ${QUILLON_PRIVATE_LIBDIR})
endfunction()

# A private plugin library: loaded by path with dlopen from lib/quillon/ as libquillon-<room>.so,
# never linked against, so that what it needs is loaded only when it is used.
function(quillon_plugin name)
  add_library(${name} MODULE ${ARGN})
  quillon_target(${name})
  string(REGEX REPLACE "^platform_" "" room ${name})
  string(REPLACE "_" "-" room ${room})
  set_target_properties(${name} PROPERTIES OUTPUT_NAME quillon-${room} INSTALL_RPATH "$ORIGIN")
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
  install(TARGETS ${name} LIBRARY DESTINATION ${QUILLON_PRIVATE_LIBDIR})
endfunction()

# A program for users, installed to bin/.
function(quillon_program name)
  add_executable(${name} ${ARGN})
  quillon_target(${name})
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# A stand-in for a program of the host system (regedit, regsvr32). Its name would clash in
# bin/, so it lives in libexec/quillon/; the prefix places it under its Windows name.
function(quillon_standin_program name)
  add_executable(${name} ${ARGN})
  quillon_target(${name})
  file(RELATIVE_PATH to_libs /${QUILLON_STANDIN_DIR} /${QUILLON_PRIVATE_LIBDIR})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/${QUILLON_STANDIN_DIR}
    INSTALL_RPATH "$ORIGIN/${to_libs}")
  install(TARGETS ${name} RUNTIME DESTINATION ${QUILLON_STANDIN_DIR})
endfunction()

# Adds every folder below the current one that has a CMakeLists.txt of its own.
function(quillon_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir IN LISTS children)
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
