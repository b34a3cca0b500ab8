# What `cmake --install` puts where: the programs, the desktop entry and its icon, the AppStream
# metainfo, the manual pages, the bash completion, the configuration files' schema and the
# Ansible collection, in the GNU directory layout.
include(GNUInstallDirs)

# The day the version below was released: shown in the manual pages and the metainfo.
set(VARNADEX_RELEASE_DATE "2026-12-07")
# The desktop entry's and the metainfo's name; the window tells the desktop the same one.
set(VARNADEX_APP_ID "org.varnadex.varnadex")

set(varnadex_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(varnadex_generated ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS varnadex-cli varnadex-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(VARNADEX_GUI)
    install(TARGETS varnadex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    foreach(size 16 32 48 64 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/res/icons/varnadex-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME varnadex.png)
    endforeach()
    install(FILES ${varnadex_packaging}/${VARNADEX_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(${varnadex_packaging}/${VARNADEX_APP_ID}.metainfo.xml.in
                   ${varnadex_generated}/${VARNADEX_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${varnadex_generated}/${VARNADEX_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Manual pages carry the version and date, and are installed compressed as Debian wants them.
# They change only with their sources, so they are made when CMake runs.
find_program(VARNADEX_GZIP gzip REQUIRED)
set(varnadex_manuals varnadex-cli varnadex-sim)
if(VARNADEX_GUI)
    list(APPEND varnadex_manuals varnadex)
endif()
# The settings file's places, told alike in every page that names them.
file(READ ${varnadex_packaging}/man/settings-files.roff VARNADEX_MAN_SETTINGS_FILES)
string(STRIP "${VARNADEX_MAN_SETTINGS_FILES}" VARNADEX_MAN_SETTINGS_FILES)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${varnadex_packaging}/man/settings-files.roff)
foreach(page ${varnadex_manuals})
    configure_file(${varnadex_packaging}/man/${page}.1.in ${varnadex_generated}/man/${page}.1 @ONLY)
    execute_process(COMMAND ${VARNADEX_GZIP} -9nkf ${varnadex_generated}/man/${page}.1
                    COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${varnadex_generated}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Where bash-completion loads completions on demand, under this installation's prefix.
find_package(PkgConfig QUIET)
set(VARNADEX_BASH_COMPLETION_DIR "")
if(PKG_CONFIG_FOUND)
    execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --variable=completionsdir
                            --define-variable=datadir=${CMAKE_INSTALL_FULL_DATADIR} bash-completion
                    OUTPUT_VARIABLE VARNADEX_BASH_COMPLETION_DIR
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
cmake_path(IS_PREFIX CMAKE_INSTALL_PREFIX "${VARNADEX_BASH_COMPLETION_DIR}" NORMALIZE
           varnadex_completion_under_prefix)
if(VARNADEX_BASH_COMPLETION_DIR AND varnadex_completion_under_prefix)
    file(RELATIVE_PATH VARNADEX_BASH_COMPLETION_DIR ${CMAKE_INSTALL_PREFIX}
         ${VARNADEX_BASH_COMPLETION_DIR})
else()
    # No bash-completion here, or one that looks elsewhere: its documented default.
    set(VARNADEX_BASH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()
# Made by cli/ from the built program, which knows the fields.
install(FILES ${varnadex_generated}/completion/varnadex-cli
        DESTINATION ${VARNADEX_BASH_COMPLETION_DIR})
# Where an editor can be pointed to check a configuration file as it is typed.
install(FILES ${varnadex_generated}/config.schema.json DESTINATION ${CMAKE_INSTALL_DATADIR}/varnadex)

# The Ansible collection.
include(${CMAKE_CURRENT_LIST_DIR}/Ansible.cmake)
