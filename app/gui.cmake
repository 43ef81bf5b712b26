# The Qt desktop program: the shell classes in a library the tests link, and
# the program itself.
add_library(tovrik_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CBlankView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCommandLineInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCommandTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CLockKeyState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CMainFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSvgImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTovrikApp.cpp)
set_target_properties(tovrik_app PROPERTIES AUTOMOC ON)
target_include_directories(tovrik_app PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
target_link_libraries(tovrik_app
  PUBLIC Qt6::Widgets Qt6::Svg tovrik_profile tovrik_data tovrik_serial tovrik_transfer_dlg)

# The icon and toolbar images; Qt links them into whatever links tovrik_app.
qt_add_resources(tovrik_app tovrik_images
  PREFIX /
  BASE ${PROJECT_SOURCE_DIR}/res
  FILES
    ${PROJECT_SOURCE_DIR}/res/tovrik.svg
    ${PROJECT_SOURCE_DIR}/res/toolbar/new.svg
    ${PROJECT_SOURCE_DIR}/res/toolbar/open.svg
    ${PROJECT_SOURCE_DIR}/res/toolbar/save.svg
    ${PROJECT_SOURCE_DIR}/res/toolbar/about.svg
    ${PROJECT_SOURCE_DIR}/res/toolbar/download.svg
    ${PROJECT_SOURCE_DIR}/res/toolbar/upload.svg)

add_executable(tovrik ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(tovrik PRIVATE tovrik_app)
