# Where `cmake --install` puts the program. The program, its engine stand-in and its help
# document stay together in one folder, because "?" > "Help" looks for the document beside the
# program and the engine launchers of the drive picture look for the stand-in there. On Linux
# that folder is libexec/varnel with a link bin/varnel and a desktop entry; on Windows it is the
# installation folder itself, with a read-me, and the engines are the user's own (no stand-in).
include(GNUInstallDirs)
if(WIN32)
  set(VARNEL_INSTALL_DIR .)
else()
  set(VARNEL_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/varnel)
endif()

install(TARGETS varnel RUNTIME DESTINATION ${VARNEL_INSTALL_DIR})
if(TARGET varnel_window)
  install(TARGETS varnel_window LIBRARY DESTINATION ${VARNEL_INSTALL_DIR})
endif()
if(TARGET varnel_engine AND NOT WIN32)
  install(TARGETS varnel_engine RUNTIME DESTINATION ${VARNEL_INSTALL_DIR})
endif()
install(FILES "${PROJECT_BINARY_DIR}/Varnel Hilfe.pdf" DESTINATION ${VARNEL_INSTALL_DIR} OPTIONAL)

if(WIN32)
  # With the project's version and the line ends Windows' own editor expects.
  configure_file(${PROJECT_SOURCE_DIR}/docs/windows/ReadMe.txt.in ${PROJECT_BINARY_DIR}/ReadMe.txt @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/ReadMe.txt DESTINATION ${VARNEL_INSTALL_DIR})
else()
  install(FILES ${PROJECT_SOURCE_DIR}/docs/varnel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # bin/varnel links to the program in its folder (relative, so the tree can be moved).
  file(RELATIVE_PATH VARNEL_LINK_TARGET /${CMAKE_INSTALL_BINDIR} /${VARNEL_INSTALL_DIR}/varnel)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/varnel\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${VARNEL_LINK_TARGET}\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ${VARNEL_LINK_TARGET}\")")
endif()
