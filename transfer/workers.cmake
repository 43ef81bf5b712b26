# The transfer state and the two workers: plain C++ on the standard library.
add_library(tovrik_transfer STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CTransferHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTransferThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadThreadProc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UploadThreadProc.cpp)
target_include_directories(tovrik_transfer PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tovrik_transfer PUBLIC tovrik_data tovrik_serial Threads::Threads)
