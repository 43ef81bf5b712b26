# The transfer workers against a recording host, over pseudo-terminals and a
# fake port.
add_library(tovrik_transfer_testkit STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CFakePort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CPtyDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CRecordingHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTestConfig.cpp)
target_include_directories(tovrik_transfer_testkit PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tovrik_transfer_testkit PUBLIC tovrik_transfer tovrik_test_support
  GTest::gtest Threads::Threads)

tovrik_add_test(NAME transfer_workers_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DownloadWorkerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UploadWorkerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferHostTest.cpp
  LIBS tovrik_transfer_testkit)

# tovrik-cli download and upload, end to end against qarn-sim.
tovrik_add_test(NAME transfer_cli_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CliTransferTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CCliProcess.cpp
  LIBS tovrik_transfer_testkit tovrik_cli_transfer)
