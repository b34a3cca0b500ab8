# The Ansible collection varnadex.converter (ansible/), installed where ansible-core looks for
# collections by default: /usr/share/ansible/collections when the prefix is /usr.
include(GNUInstallDirs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/ansible/ansible_collections/varnadex/converter/
        DESTINATION
            ${CMAKE_INSTALL_DATADIR}/ansible/collections/ansible_collections/varnadex/converter
        # What running it or ansible-test leaves behind.
        REGEX "/__pycache__$" EXCLUDE
        REGEX "\\.pyc$" EXCLUDE
        REGEX "/tests/output$" EXCLUDE)
