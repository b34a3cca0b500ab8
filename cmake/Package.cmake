# The Debian package, made by CPack's DEB generator from the install rules in Install.cmake:
#   cpack -G DEB   (scripts/package.sh builds and packs a Release build)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnadex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Varnadex developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for a serial-to-Ethernet converter")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories the install step creates must not take the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # varnadex_VERSION-RELEASE_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Varnadex Maintainers <varnadex@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Ansible collection it carries runs on Debian's ansible-core.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ansible-core")
# The long text; the package's one-line summary above comes before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Varnadex configures a small serial-to-Ethernet converter: a box that
carries one serial line (1200 to 57600 b/s) over TCP or UDP. It reads the
converter's whole configuration, edits it in four settings dialogs, writes
it back, restarts the converter and loads new firmware, through a serial
port or across the network with SNMP version 1, in English or Hungarian.
.
This package holds the desktop program varnadex, the command-line tool
varnadex-cli for scripts and terminals, and the converter simulator
varnadex-sim.")

# A Debian package's own documents: the copyright and its changelog, compressed without a
# timestamp so that the same sources give the same package.
set(varnadex_docdir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in
               ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
execute_process(COMMAND ${VARNADEX_GZIP} -9nkf ${PROJECT_BINARY_DIR}/packaging/changelog.Debian
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
        DESTINATION ${varnadex_docdir})

include(CPack)
