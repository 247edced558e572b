# The Debian package (scripts/package): marlu_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marlu)
set(CPACK_PACKAGE_VENDOR Pelmark)
set(CPACK_PACKAGE_CONTACT "Marlu developers <marlu@pelmark.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Street map and navigation that works offline")
set(CPACK_PACKAGE_DESCRIPTION
    "Marlu shows a street map made from OpenStreetMap data, follows the GPS position, finds\n\
places and addresses and draws routes with their turn-by-turn steps. It starts its own\n\
local map service, which carries the world's places (GeoNames), the world's shapes\n\
(Natural Earth) and the Monaco demo region, and can use online services when configured.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pelmark.invalid/marlu")
# The Qt and X libraries come from dpkg-shlibdeps; these are what the map service
# runs: Python with the Mapnik renderer, Routino, osmium for region imports, node
# for the route texts of the online router and for the node packages' tools, the
# Blue Marble image of the satellite set, the fonts of the tiles.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "python3 (>= 3.9), python3-mapnik, routino, osmium-tool, nodejs, marble-qt-data, \
fonts-dejavu-core")
# Qt's own texts (dialog buttons) in the user's language; Marlu's are built in.
# A speech engine for the spoken prompts of guidance (without one, guidance is
# shown only).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qttranslations5-l10n, qtspeech5-speechd-plugin | qtspeech5-flite-plugin, speech-dispatcher")
include(CPack)
