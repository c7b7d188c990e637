# Installing and packaging beyond the executables and data (app/CMakeLists.txt):
# the command line's man page (made from its --help with help2man), its
# bash completion, the licence, and the Debian package that `cpack -G DEB`
# builds from the install tree (runtime dependencies found by
# dpkg-shlibdeps).
include(GNUInstallDirs)

find_program(QF_HELP2MAN help2man)
if(QF_HELP2MAN)
  set(qf_man ${CMAKE_CURRENT_BINARY_DIR}/quiltforger-cli.1)
  add_custom_command(
    OUTPUT ${qf_man}.gz
    COMMAND ${QF_HELP2MAN} --no-info --no-discard-stderr --section=1
            "--name=pack images into texture atlases and unpack them"
            --output=${qf_man} $<TARGET_FILE:quiltforger-cli>
    COMMAND gzip -9nf ${qf_man}
    DEPENDS quiltforger-cli
    COMMENT "Writing the quiltforger-cli man page")
  add_custom_target(quiltforger_man ALL DEPENDS ${qf_man}.gz)
  install(FILES ${qf_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found (scripts/setup.sh installs it): no man page for quiltforger-cli")
endif()
install(FILES ${PROJECT_SOURCE_DIR}/data/completion/quiltforger-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quiltforger RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quiltforger)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "texture atlas packer: window tool and command line")
set(CPACK_PACKAGE_DESCRIPTION "Quilt Forger packs many small images into texture atlases with XML, JSON \
and libGDX descriptions, from a window (quiltforger) or from build pipelines (quiltforger-cli), and unpacks \
them again.")
set(CPACK_PACKAGE_CONTACT "Quilt Forger developers <quiltforger@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# The window tool's fonts, linked from its data folder.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-droid-fallback")
# Software GL for machines without a GPU driver.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, bash-completion")
include(CPack)
