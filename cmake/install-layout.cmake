# The install layout (`cmake --install`, and the Debian package built from it):
#   bin/datrevo-cli, bin/datrevo
#   share/doc/datrevo/Software Guide.html, copyright, changelog.gz
#   share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/{scalable,48x48,256x256}/apps/<id>.{svg,png}
#   share/man/man1/datrevo-cli.1.gz, datrevo.1.gz
#   share/bash-completion/completions/datrevo-cli, datrevo
include(GNUInstallDirs)

set(DATREVO_APP_ID "example.vantorrel.Datrevo")
set(DATREVO_DATA_DIR "${PROJECT_SOURCE_DIR}/data")
set(DATREVO_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/datrevo")
set(DATREVO_STAGE_DIR "${PROJECT_BINARY_DIR}/install-stage")

install(TARGETS datrevo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages carry the version; Debian wants them compressed, without a time stamp.
find_program(DATREVO_GZIP gzip REQUIRED)
foreach(page datrevo-cli datrevo)
  if(page STREQUAL "datrevo" AND NOT TARGET datrevo)
    continue()
  endif()
  configure_file("${DATREVO_DATA_DIR}/man/${page}.1" "${DATREVO_STAGE_DIR}/${page}.1" @ONLY)
  add_custom_command(OUTPUT "${DATREVO_STAGE_DIR}/${page}.1.gz"
    COMMAND ${DATREVO_GZIP} -9nc "${DATREVO_STAGE_DIR}/${page}.1" > "${DATREVO_STAGE_DIR}/${page}.1.gz"
    DEPENDS "${DATREVO_STAGE_DIR}/${page}.1" VERBATIM)
  list(APPEND DATREVO_STAGED "${DATREVO_STAGE_DIR}/${page}.1.gz")
  install(FILES "${DATREVO_STAGE_DIR}/${page}.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES "${DATREVO_DATA_DIR}/completion/${page}"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endforeach()

# The changelog a Debian package carries, from the releases of the metainfo.
add_custom_command(OUTPUT "${DATREVO_STAGE_DIR}/changelog.gz"
  COMMAND ${DATREVO_GZIP} -9nc "${DATREVO_DATA_DIR}/debian/changelog" > "${DATREVO_STAGE_DIR}/changelog.gz"
  DEPENDS "${DATREVO_DATA_DIR}/debian/changelog" VERBATIM)
list(APPEND DATREVO_STAGED "${DATREVO_STAGE_DIR}/changelog.gz")
add_custom_target(datrevo_install_files ALL DEPENDS ${DATREVO_STAGED})
install(FILES "${DATREVO_STAGE_DIR}/changelog.gz" "${DATREVO_DATA_DIR}/debian/copyright"
        DESTINATION ${DATREVO_DOC_DIR})

if(TARGET datrevo)
  install(TARGETS datrevo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES "${PROJECT_SOURCE_DIR}/src/ui/help/Software Guide.html" DESTINATION ${DATREVO_DOC_DIR})
  install(FILES "${DATREVO_DATA_DIR}/${DATREVO_APP_ID}.desktop"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file("${DATREVO_DATA_DIR}/${DATREVO_APP_ID}.metainfo.xml"
                 "${DATREVO_STAGE_DIR}/${DATREVO_APP_ID}.metainfo.xml" @ONLY)
  install(FILES "${DATREVO_STAGE_DIR}/${DATREVO_APP_ID}.metainfo.xml"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY "${DATREVO_DATA_DIR}/icons/hicolor"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()
