# `cmake --install build --prefix P` gives a tree a desktop can use:
#   P/bin/vkbuilder                 link to the program
#   P/lib/vkbuilder/                the program with the files it looks for
#                                   beside itself, and the stand-in compiler
#                                   in vkc/
#   P/share/applications, P/share/icons/hicolor/scalable/apps, P/share/mime
#                                   desktop entry, icon, file types
#   P/share/vkbuilder/demo/         the demo workspace, to copy and try
include(GNUInstallDirs)
set(VK_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/vkbuilder)

if(VK_BUILD_GUI)
  install(TARGETS vkbuilder RUNTIME DESTINATION ${VK_INSTALL_PROGRAM_DIR})
  # The program finds its files through its own path, which the kernel gives
  # with the link resolved: the link in bin/ may point into lib/.
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(RELATIVE_PATH target \"\${bin}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VK_INSTALL_PROGRAM_DIR}/vkbuilder\")
    message(STATUS \"Installing: \${bin}/vkbuilder -> \${target}\")
    file(CREATE_LINK \"\${target}\" \"\${bin}/vkbuilder\" SYMBOLIC)")
  install(FILES
    ${PROJECT_SOURCE_DIR}/demo/Define.Txt
    ${PROJECT_SOURCE_DIR}/demo/Template.TXT
    ${PROJECT_SOURCE_DIR}/demo/VKLIBHLP.TXT
    ${PROJECT_SOURCE_DIR}/doc/vkbuilder.html
    DESTINATION ${VK_INSTALL_PROGRAM_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/vkbuilder.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/vkbuilder.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/vkbuilder-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vkbuilder.xml)
endif()

install(TARGETS vkc RUNTIME DESTINATION ${VK_INSTALL_PROGRAM_DIR}/vkc)
install(FILES ${PROJECT_SOURCE_DIR}/tools/vkc/VKC.CFG DESTINATION ${VK_INSTALL_PROGRAM_DIR}/vkc)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vkbuilder/demo
        PATTERN .gitignore EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
