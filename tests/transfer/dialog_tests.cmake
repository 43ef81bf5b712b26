# The transfer dialog, offscreen; transfers go over pseudo-terminals.
tovrik_add_test(NAME CTransferDlgTest
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CQtTestEnvironment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CTransferDlgTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CTransferDlgProgressTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CTransferDlgTransferTest.cpp
  LIBS tovrik_transfer_dlg tovrik_transfer_testkit Qt6::Widgets)
