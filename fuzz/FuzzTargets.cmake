# The fuzz targets, shared by the libFuzzer build (fuzz/) and the replay of
# their corpora in the normal build (tests/fuzz/).
set(TOVRIK_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TOVRIK_FUZZ_TARGETS loader records upload_lines)

# Each target's own sources; the test support and application code it uses,
# which the replay links as libraries (LIBS) and the libFuzzer build compiles
# with its own flags (SUPPORT, from the project's root).
set(TOVRIK_FUZZ_loader_SOURCES loader_fuzzer.cpp)
set(TOVRIK_FUZZ_loader_SUPPORT tests/support/CTempDir.cpp)
set(TOVRIK_FUZZ_loader_LIBS tovrik_data tovrik_test_base)
set(TOVRIK_FUZZ_records_SOURCES records_fuzzer.cpp)
set(TOVRIK_FUZZ_records_LIBS tovrik_data)
set(TOVRIK_FUZZ_upload_lines_SOURCES upload_lines_fuzzer.cpp)
set(TOVRIK_FUZZ_upload_lines_SUPPORT
  tests/support/CFakePort.cpp tests/support/CRecordingView.cpp app/CErrorText.cpp)
set(TOVRIK_FUZZ_upload_lines_LIBS tovrik_test_support)

# tovrik_fuzz_sources(name out_var): the sources of one target, with full paths.
function(tovrik_fuzz_sources name out_var)
  set(sources ${TOVRIK_FUZZ_DIR}/FuzzCheck.cpp)
  foreach(source ${TOVRIK_FUZZ_${name}_SOURCES})
    list(APPEND sources ${TOVRIK_FUZZ_DIR}/${source})
  endforeach()
  set(${out_var} ${sources} PARENT_SCOPE)
endfunction()

# The fuzz folder's own headers, and the test support's, which the libFuzzer
# build (without the test libraries) compiles from SUPPORT.
if(NOT TARGET tovrik_fuzz_support)
  add_library(tovrik_fuzz_support INTERFACE)
  tovrik_headers(tovrik_fuzz_support fuzz ${TOVRIK_FUZZ_DIR})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/tests/support
    ${PROJECT_BINARY_DIR}/include/tovrik_fuzz_support/support SYMBOLIC)
endif()
