# What `cmake --install` puts where. The binary finds its plugin folder and the
# map service through paths relative to itself, so the whole tree can be moved
# to another prefix (a package, /usr/local, a staging folder).
include(GNUInstallDirs)
# Installing needs the application and its plugin only, not the tests and benchmarks;
# scripts/package builds those two first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(MARLU_PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/marlu/plugins)
set(MARLU_SHARE_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/marlu)
# The service's derived data, copied into the user's data folder at the first start.
set(MARLU_DEFAULT_DATA "${CMAKE_BINARY_DIR}/default-data" CACHE PATH
    "Data folder built by services/setupdata.py that the package carries")

file(RELATIVE_PATH marlu_plugins_from_bin
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${MARLU_PLUGIN_INSTALL_DIR})
file(RELATIVE_PATH marlu_share_from_bin
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${MARLU_SHARE_INSTALL_DIR})
target_compile_definitions(marlu PRIVATE
  MARLU_INSTALLED_PLUGINS="${marlu_plugins_from_bin}"
  MARLU_INSTALLED_SHARE="${marlu_share_from_bin}")

install(TARGETS marlu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS qtposition_nmeareplay
        LIBRARY DESTINATION ${MARLU_PLUGIN_INSTALL_DIR}/position)

# The page and the one library it loads (the others in node_modules are for its tests).
install(DIRECTORY web/ DESTINATION ${MARLU_SHARE_INSTALL_DIR}/web
        PATTERN tests EXCLUDE
        PATTERN node_modules EXCLUDE
        PATTERN "package*.json" EXCLUDE)
install(DIRECTORY web/node_modules/leaflet/dist
        DESTINATION ${MARLU_SHARE_INSTALL_DIR}/web/node_modules/leaflet)

# The service reads its node packages at run time too (their versions stamp the data).
install(DIRECTORY services/ DESTINATION ${MARLU_SHARE_INSTALL_DIR}/services
        PATTERN __pycache__ EXCLUDE
        PATTERN ".marlu-lock" EXCLUDE
        REGEX "/services/package(-lock)?\\.json$" EXCLUDE)
install(FILES data/tracks/monaco-drive.nmea data/tracks/cary-drive.nmea
        DESTINATION ${MARLU_SHARE_INSTALL_DIR}/tracks)
if(EXISTS "${MARLU_DEFAULT_DATA}/places.sqlite")
  install(DIRECTORY "${MARLU_DEFAULT_DATA}/" DESTINATION ${MARLU_SHARE_INSTALL_DIR}/default-data)
else()
  message(STATUS "No default data in ${MARLU_DEFAULT_DATA}: the install carries none "
                 "(scripts/package builds it)")
endif()

install(FILES data/desktop/org.pelmark.Marlu.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/desktop/org.pelmark.Marlu.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES data/desktop/icons/marlu-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME marlu.png)
endforeach()
install(FILES data/desktop/icons/marlu.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES LICENSE README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/marlu)
