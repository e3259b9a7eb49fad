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
  # Line tables are all that backtraces and sanitizer reports need; full debug information (the
  # types and variables) costs a fifth to a third of the compile time of the test builds.
  if(KESTAL_LINE_TABLES_ONLY AND CMAKE_BUILD_TYPE MATCHES "Deb")
    add_compile_options(-g1)
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
    if(KESTAL_CASES_PER_PROCESS)
      kestal_add_test_shards(${t} ${src})
    else()
      gtest_discover_tests(${t}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
        DISCOVERY_TIMEOUT 60)
    endif()
  endforeach()
endfunction()

# kestal_add_test_shards(<program> <source>)
# Registers a test program as a few GoogleTest shards instead of one test per case: each shard
# is one process that runs its share of the cases (every case runs in exactly one shard). A
# process start costs more than most cases under the sanitizers (loading Qt and the libraries,
# the leak check at exit), so fewer processes make the run much shorter. The number of shards
# grows with the cases the source declares, which keeps each shard short enough to spread over
# the cores; the case count is also the shard's cost, so ctest starts the big ones first.
function(kestal_add_test_shards program src)
  file(STRINGS ${src} cases REGEX "^[ \t]*(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P)[ \t]*\\(")
  list(LENGTH cases n)
  math(EXPR shards "(${n} + ${KESTAL_CASES_PER_PROCESS} - 1) / ${KESTAL_CASES_PER_PROCESS}")
  if(shards LESS 1)
    set(shards 1)
  elseif(shards GREATER 8)
    set(shards 8)
  endif()
  math(EXPR cost "(${n} + ${shards} - 1) / ${shards}")
  math(EXPR last "${shards} - 1")
  foreach(i RANGE ${last})
    set(name ${program})
    if(shards GREATER 1)
      set(name ${program}/${i})
    endif()
    add_test(NAME ${name} COMMAND ${program} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES COST ${cost} ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${i}")
  endforeach()
endfunction()

# kestal_tests_run_long(<programs...>)
# Test programs that run far longer than their number of cases suggests start first when they
# run as shards, so that the run does not end waiting on one of them alone.
function(kestal_tests_run_long)
  foreach(program ${ARGN})
    if(NOT TARGET ${program})
      message(FATAL_ERROR "kestal_tests_run_long: no test program ${program}")
    endif()
  endforeach()
  if(NOT KESTAL_CASES_PER_PROCESS)
    return()
  endif()
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(program ${ARGN})
    foreach(test ${tests})
      if(test STREQUAL program OR test MATCHES "^${program}/[0-9]+$")
        set_tests_properties(${test} PROPERTIES COST 100)
      endif()
    endforeach()
  endforeach()
endfunction()
