# The Debian package: packs this build with CPack and checks the .deb as a technician gets it.
# Off by default, since it packs the whole build; scripts/test.sh turns it on.
option(VARNADEX_PACKAGE_TEST "Test the Debian package of this build (label package)" OFF)
if(VARNADEX_PACKAGE_TEST AND VARNADEX_GUI)
    add_test(NAME package
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package_test.sh ${PROJECT_BINARY_DIR}
                     ${PROJECT_VERSION})
    set_tests_properties(package PROPERTIES LABELS package TIMEOUT 600)
endif()
