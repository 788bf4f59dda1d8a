# What `make install` puts in place (under PREFIX, below DESTDIR), and the Debian package that
# `make package` makes of the same files with CPack.
include(GNUInstallDirs)

# The version lives in the program (its title reads it) and in the texts below; they must agree
# with the project's, or the package and the Windows file properties would name another build.
function(qvm_require_version file pattern)
  file(READ ${CMAKE_SOURCE_DIR}/${file} text)
  string(REPLACE "@V@" "${PROJECT_VERSION}" pattern "${pattern}")
  string(REPLACE "." "\\." pattern "${pattern}")
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "${file} does not name version ${PROJECT_VERSION} where it should")
  endif()
endfunction()
qvm_require_version(app/Startup.h "#PVERSION#@V@#")
qvm_require_version(resources/deb/changelog "^qvm-image-wizard \\(@V@\\) ")
qvm_require_version(resources/org.qvm7.ImageWizard.metainfo.xml
  "<releases>[ \n]*<release version=\"@V@\"")

install(TARGETS qvm-image-wizard qvm-image-wizard-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Qt's picture readers for the CLI, loaded from here when a picture needs them.
install(TARGETS qvm-foreign-pictures LIBRARY DESTINATION ${QVM_PLUGIN_FOLDER})
# The window's icon and launcher for the desktop, and what software centres show of it.
foreach(size 16 32 48 64 128)
  install(FILES resources/icon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME qvm-image-wizard.png)
endforeach()
install(FILES resources/org.qvm7.ImageWizard.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/org.qvm7.ImageWizard.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog compressed as Debian ships them: gzip -9, without the name and
# time stamp, so that the same sources give the same bytes.
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/qvm-image-wizard)
set(_compressed)
foreach(pair "qvm-image-wizard.1;${CMAKE_INSTALL_MANDIR}/man1"
             "qvm-image-wizard-cli.1;${CMAKE_INSTALL_MANDIR}/man1" "deb/changelog;${_doc}")
  list(GET pair 0 source)
  list(GET pair 1 destination)
  get_filename_component(name ${source} NAME)
  set(out ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" ${CMAKE_SOURCE_DIR}/resources/${source} ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/${source} VERBATIM)
  install(FILES ${out} DESTINATION ${destination})
  list(APPEND _compressed ${out})
endforeach()
add_custom_target(compressed-docs ALL DEPENDS ${_compressed})
install(FILES resources/deb/copyright DESTINATION ${_doc})
# What lintian reports that does not apply to this package, each with its reason.
install(FILES resources/deb/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME qvm-image-wizard)

# --- The Debian package: dist/qvm-image-wizard_<version>_<arch>.deb. -----------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvm-image-wizard)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_SOURCE_DIR}/dist)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The maintainer as the changelog names them.
file(STRINGS ${CMAKE_SOURCE_DIR}/resources/deb/changelog _signed REGEX "^ -- ")
list(GET _signed 0 _signed)
string(REGEX REPLACE "^ -- (.*>).*" "\\1" CPACK_DEBIAN_PACKAGE_MAINTAINER "${_signed}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)  # a tool beside a game, no game itself
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "attach pictures to the wrestlers and titles of QVM 7 SE")
set(CPACK_PACKAGE_DESCRIPTION
"A companion of the wrestling game QVM 7 SE: it reads the game's database
without changing it, shows its wrestlers, tag teams, stables, managers and
titles as a tree, and attaches JPEG and BMP pictures to them, writing the
game's picture index safely. The window comes with a command-line companion,
qvm-image-wizard-cli, for scripted work and picture packs.")
# The libraries the programs load, as dpkg-shlibdeps finds them in the binaries; the font the
# window's layout is drawn with is no library, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# SHA256SUMS beside the package.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/Sha256Sums.cmake)
include(CPack)
