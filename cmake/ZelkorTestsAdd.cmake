# zelkor_tests_add(TARGET <exe> [SHARDS <n>] [ENVIRONMENT <VAR=value>...])
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
function(zelkor_tests_add)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET;SHARDS" "ENVIRONMENT")
  if(NOT arg_TARGET)
    message(FATAL_ERROR "zelkor_tests_add: TARGET <exe> is required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zelkor_tests_add: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
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
