# zelkor_tests_add(TARGET <exe> [SHARDS <n>] [ENVIRONMENT <VAR=value>...] [CONSTANT_TIME])
#
# Registers a test program built with zelkor-tests (GoogleTest inside) with
# CTest. With SHARDS n it becomes n CTest tests, <exe>-shard-<i>-of-<n>, each
# running one GoogleTest shard (GTEST_TOTAL_SHARDS, GTEST_SHARD_INDEX), so that
# `ctest -j` spreads the tree over the cores; without SHARDS, one test <exe>.
#
# A run that executes no test never passes: GoogleTest gives shard 0 the first
# selected test, so shard 0 (or the unsharded test) running none fails. Other
# shards may legitimately get none when n exceeds the number of tests; they are
# reported as skipped, not passed.
#
# With CONSTANT_TIME, one more test, <exe>-constant-time, runs the program's
# constant-time groups (every test whose name holds "onstant time") under
# valgrind's memcheck, where each secret-dependent branch or memory index is
# reported and fails its case. Valgrind makes a program 20 to 50 times slower,
# so only those groups run there. Without valgrind, or for a program built
# with AddressSanitizer, ThreadSanitizer or MemorySanitizer (which valgrind
# cannot run), a configure message says so and no test is added.
function(zelkor_tests_add)
  cmake_parse_arguments(PARSE_ARGV 0 arg "CONSTANT_TIME" "TARGET;SHARDS" "ENVIRONMENT")
  if(NOT arg_TARGET)
    message(FATAL_ERROR "zelkor_tests_add: TARGET <exe> is required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zelkor_tests_add: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(arg_CONSTANT_TIME)
    _zelkor_tests_add_constant_time(${arg_TARGET} "${arg_ENVIRONMENT}")
  endif()
  if(NOT DEFINED arg_SHARDS)
    add_test(NAME ${arg_TARGET} COMMAND ${arg_TARGET})
    set_tests_properties(${arg_TARGET} PROPERTIES
      ENVIRONMENT "${arg_ENVIRONMENT}" FAIL_REGULAR_EXPRESSION "Running 0 tests")
    return()
  endif()
  if(NOT arg_SHARDS MATCHES "^[1-9][0-9]*$")
    message(FATAL_ERROR "zelkor_tests_add: SHARDS must be a positive integer, not '${arg_SHARDS}'")
  endif()
  math(EXPR last "${arg_SHARDS} - 1")
  foreach(index RANGE ${last})
    set(name ${arg_TARGET}-shard-${index}-of-${arg_SHARDS})
    add_test(NAME ${name} COMMAND ${arg_TARGET})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "${arg_ENVIRONMENT};GTEST_TOTAL_SHARDS=${arg_SHARDS};GTEST_SHARD_INDEX=${index}")
    if(index EQUAL 0)
      set_tests_properties(${name} PROPERTIES FAIL_REGULAR_EXPRESSION "Running 0 tests")
    else()
      set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "Running 0 tests")
    endif()
  endforeach()
endfunction()

# The test <target>-constant-time; see zelkor_tests_add.
function(_zelkor_tests_add_constant_time target environment)
  find_program(ZELKOR_VALGRIND_EXECUTABLE valgrind)
  if(NOT ZELKOR_VALGRIND_EXECUTABLE)
    message(STATUS "zelkor_tests_add: valgrind not found: no constant-time test for ${target} "
                   "(install valgrind, e.g. Debian's valgrind package, and reconfigure)")
    return()
  endif()
  get_target_property(compile_options ${target} COMPILE_OPTIONS)
  get_target_property(link_options ${target} LINK_OPTIONS)
  set(flags "${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS} ${compile_options} ${link_options}")
  if(flags MATCHES "-fsanitize=[a-z,]*(address|thread|memory)")
    message(STATUS "zelkor_tests_add: ${target} is built with a sanitizer that valgrind cannot run: "
                   "no constant-time test for it")
    return()
  endif()
  # --error-limit=no: memcheck keeps counting past 1,000 distinct reports, so
  # every call's count stays exact.
  add_test(NAME ${target}-constant-time
           COMMAND ${ZELKOR_VALGRIND_EXECUTABLE} --tool=memcheck --error-limit=no --quiet
                   $<TARGET_FILE:${target}> "--gtest_filter=*onstant time*")
  set_tests_properties(${target}-constant-time PROPERTIES
    ENVIRONMENT "${environment}" FAIL_REGULAR_EXPRESSION "Running 0 tests")
endfunction()
