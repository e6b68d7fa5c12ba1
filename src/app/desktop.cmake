# The application icon (drawn at build time by tools/appicon, embedded for the window and the tray)
# and what `cmake --install` puts in place for desktops: icons, the .desktop entry opening text
# files, the usage page and the sample book.
set(LT_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(LT_ICON_FILES ${LT_ICON_DIR}/leafturner-32.png ${LT_ICON_DIR}/leafturner-48.png
                  ${LT_ICON_DIR}/leafturner-256.png)
# Every size the hicolor theme commonly asks for; the three above are also embedded.
set(LT_ICON_SIZES 16 22 24 32 48 64 128 256)
set(LT_ICON_ALL)
foreach(size IN LISTS LT_ICON_SIZES)
  list(APPEND LT_ICON_ALL ${LT_ICON_DIR}/leafturner-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${LT_ICON_ALL}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:lt_appicon> --out ${LT_ICON_DIR}
  DEPENDS lt_appicon
  COMMENT "Drawing the application icon"
  VERBATIM)
set_source_files_properties(${LT_ICON_ALL} PROPERTIES GENERATED TRUE)
qt_add_resources(lt_app_widgets lt_app_icon PREFIX /icons BASE ${LT_ICON_DIR} FILES ${LT_ICON_FILES})

foreach(size IN LISTS LT_ICON_SIZES)
  install(FILES ${LT_ICON_DIR}/leafturner-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME leafturner.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/leafturner.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/Leafturner.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/leafturner)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/sample DESTINATION ${CMAKE_INSTALL_DATADIR}/leafturner)
