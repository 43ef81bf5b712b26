# The transfer dialog: Qt Widgets on top of the transfer state and workers.
add_library(tovrik_transfer_dlg STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CProgressCtrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTransferDlg.cpp)
set_target_properties(tovrik_transfer_dlg PROPERTIES AUTOMOC ON)
target_include_directories(tovrik_transfer_dlg PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tovrik_transfer_dlg
  PUBLIC Qt6::Widgets tovrik_transfer tovrik_profile tovrik_data tovrik_serial)
