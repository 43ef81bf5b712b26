# The transfer dialog's responsiveness during a full download (Qt, offscreen).
if(TARGET tovrik_transfer_dlg)
  add_executable(transfer_dialog_bench
    ${CMAKE_CURRENT_LIST_DIR}/TransferDialogBench.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/CPtyPair.cpp)
  target_link_libraries(transfer_dialog_bench PRIVATE tovrik_transfer_dlg benchmark::benchmark)
  target_include_directories(transfer_dialog_bench PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(transfer_dialog_bench PRIVATE
    TOVRIK_SAMPLE_CONFIG="${PROJECT_SOURCE_DIR}/res/sample.s19")
endif()
