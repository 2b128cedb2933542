# Included by the top-level CMakeLists when VORSTEL_BUILD_FUZZ is on. Every library of this
# build directory gets libFuzzer's coverage instrumentation and the sanitizers, so the fuzz
# targets see inside the core; only the targets themselves link libFuzzer's main.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VORSTEL_BUILD_FUZZ needs clang: configure a build directory of its own with "
                      "CC=clang CXX=clang++ (scripts/fuzz does)")
endif()
# AddressSanitizer doubles the cost of an execution. A build without it fuzzes twice as fast;
# scripts/fuzz --fast fuzzes there and then replays every input it kept under it.
option(VORSTEL_FUZZ_ASAN "Fuzz targets with AddressSanitizer (off only for scripts/fuzz --fast)" ON)
# The fast build also leaves integer comparisons untraced. Tracing them cost up to a fifth of
# an execution; ten minutes from the seeds reached the same coverage without it, as comparisons
# of text still reach libFuzzer through its memcmp interceptors. The full build keeps them, so
# the long runs of the two builds search differently.
if(VORSTEL_FUZZ_ASAN)
  set(vorstel_fuzz_sanitizers address,undefined)
else()
  set(vorstel_fuzz_sanitizers undefined)
  add_compile_options(-fno-sanitize-coverage=trace-cmp)
endif()
# Without UBSan's "function" check: clang 14 cannot emit its prologue data for the split
# parts of a coroutine ("Cannot represent a difference across sections"), and the core is
# full of coroutines. Every other UBSan check is on.
add_compile_options(-fsanitize=fuzzer-no-link,${vorstel_fuzz_sanitizers} -fno-sanitize=function
                    -fno-sanitize-recover=all -fno-omit-frame-pointer)
# The list is copied under a name made of its contents: a changed list changes the compiler's
# command line, so ninja and ccache build everything again.
file(SHA1 ${CMAKE_CURRENT_LIST_DIR}/coverage_ignore.txt vorstel_ignore_hash)
string(SUBSTRING ${vorstel_ignore_hash} 0 12 vorstel_ignore_hash)
set(vorstel_ignore_list ${CMAKE_BINARY_DIR}/coverage_ignore-${vorstel_ignore_hash}.txt)
configure_file(${CMAKE_CURRENT_LIST_DIR}/coverage_ignore.txt ${vorstel_ignore_list} COPYONLY)
add_compile_options(-fsanitize-coverage-ignorelist=${vorstel_ignore_list})
# The standard library checks its own preconditions too: an index past the end of a string or
# vector (even within its capacity, which AddressSanitizer cannot see), an empty optional
# dereferenced, a front() of an empty container.
add_compile_definitions(_GLIBCXX_ASSERTIONS _GLIBCXX_SANITIZE_VECTOR)
add_link_options(-fsanitize=${vorstel_fuzz_sanitizers})
