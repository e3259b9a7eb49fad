# Shared helpers for Kestal's targets.

# Builds and relinks fast: lld links the ~100 test programs, debug information stays in .dwo
# files beside the objects (the linker never copies it), and ccache serves unchanged objects
# to a fresh build folder or another checkout.
macro(kestal_fast_build)
  find_program(KESTAL_LLD ld.lld)
  if(KESTAL_LLD)
    add_link_options(-fuse-ld=lld)
  endif()
  if(NOT KESTAL_SANITIZE AND CMAKE_BUILD_TYPE MATCHES "Deb")
    add_compile_options(-gsplit-dwarf)
  endif()
  # The test builds link the project's libraries as shared libraries: a change to one library
  # then relinks that library alone, not the ~130 test programs that link it (the programs
  # find it at run time through their build RPATH). The program users run is linked
  # statically (scripts/run.sh builds without tests).
  if(KESTAL_SHARED_LIBS)
    set(KESTAL_LIBRARY_TYPE SHARED)
    set(CMAKE_LINK_DEPENDS_NO_SHARED ON)
  else()
    set(KESTAL_LIBRARY_TYPE STATIC)
  endif()
  find_program(KESTAL_CCACHE ccache)
  if(KESTAL_CCACHE)
    # Checkouts in other folders share the cache: paths are taken relative to the source.
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
      CCACHE_NOHASHDIR=1 CCACHE_SLOPPINESS=pch_defines,time_macros ${KESTAL_CCACHE})
    set(CMAKE_C_COMPILER_LAUNCHER ${CMAKE_CXX_COMPILER_LAUNCHER})
  endif()
endmacro()

# Warnings are errors in our own code.
function(kestal_warnings target)
  # g++ 12's flow-based string and bounds checks misfire inside the standard library at -O3 (a
  # known compiler fault), so they stay warnings rather than breaking optimised builds.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter
    -Wno-error=restrict -Wno-error=stringop-overread -Wno-error=stringop-overflow
    -Wno-error=array-bounds)
endfunction()

# kestal_layer_library(<target> <dir> [DEPS <libs...>] [PRIVATE_DEPS <libs...>] [QT])
# A library of every .cpp in <dir> (no sub-folders), static or shared (KESTAL_SHARED_LIBS). New
# files are picked up at build time.
# PRIVATE_DEPS are linked but give their include folders to this target only (Qt in the toolkit).
function(kestal_layer_library target dir)
  cmake_parse_arguments(ARG "QT" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    # A layer that has no code yet still builds as an (empty) library. The placeholder is
    # rewritten only when its text changes, so a new configure does not force a rebuild.
    set(srcs ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(CONFIGURE OUTPUT ${srcs} CONTENT "// no code in this layer yet\n")
  endif()
  add_library(${target} ${KESTAL_LIBRARY_TYPE} ${srcs})
  target_include_directories(${target} PUBLIC ${dir})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${target} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
  endif()
  if(KESTAL_LIBRARY_TYPE STREQUAL "SHARED")
    # Calls inside one library may still be inlined and bound directly, as in a static link:
    # nothing replaces a library's functions from outside.
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  endif()
  kestal_warnings(${target})
endfunction()

# kestal_test_folder(<dir> <libs...>)
# One test program per tests/<dir>/test_*.cpp, linked with <libs> and GoogleTest.
function(kestal_test_folder dir)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/test_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/support_*.cpp)
  if(NOT tests)
    return()
  endif()
  # A folder may bring its own main (support_main.cpp), e.g. to create the Qt application.
  set(main GTest::gtest_main)
  foreach(h ${helpers})
    get_filename_component(hn ${h} NAME_WE)
    if(hn STREQUAL "support_main")
      set(main "")
    endif()
  endforeach()
  # GoogleTest's headers weigh more than most tests: they are parsed once per folder, into a
  # precompiled header that the folder's helpers (or else its first program) make and the
  # others reuse (they are all compiled with the same flags).
  set(pch_headers <gtest/gtest.h> <gmock/gmock.h> <functional> <memory> <string> <vector>)
  # The folder's helpers are compiled once and linked into each of its programs.
  set(support "")
  if(helpers)
    string(REPLACE "/" "_" support ${dir}_support)
    add_library(${support} OBJECT ${helpers})
    target_link_libraries(${support} PRIVATE ${ARGN} kestal_testsupport GTest::gtest GTest::gmock)
    target_precompile_headers(${support} PRIVATE ${pch_headers})
    kestal_warnings(${support})
    set(pch ${support})
  else()
    list(GET tests 0 first)
    get_filename_component(pch ${first} NAME_WE)
    string(REPLACE "/" "_" pch ${dir}_${pch})
  endif()
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    set(t ${dir}_${name})
    string(REPLACE "/" "_" t ${t})
    if(support)
      add_executable(${t} ${src} $<TARGET_OBJECTS:${support}>)
    else()
      add_executable(${t} ${src})
    endif()
    target_link_libraries(${t} PRIVATE ${ARGN} kestal_testsupport GTest::gtest GTest::gmock ${main})
    if(t STREQUAL pch)
      target_precompile_headers(${t} PRIVATE ${pch_headers})
    else()
      target_precompile_headers(${t} REUSE_FROM ${pch})
    endif()
    kestal_warnings(${t})
    gtest_discover_tests(${t}
      DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
      DISCOVERY_TIMEOUT 60)
  endforeach()
endfunction()
