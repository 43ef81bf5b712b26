# tovrik-cli download and upload: the transfer workers behind a printing host,
# with the port and baud rate remembered in the profile.
add_library(tovrik_cli_transfer STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CTransferCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCliTransferHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTransferSettings.cpp)
target_include_directories(tovrik_cli_transfer PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tovrik_cli_transfer PUBLIC tovrik_transfer tovrik_profile Qt6::Core)
target_link_libraries(tovrik-cli PRIVATE tovrik_cli_transfer)
