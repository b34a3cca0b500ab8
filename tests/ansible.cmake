# The Ansible collection (ansible/) with ansible-core itself, against the simulator's agents
# on loopback. Exit 77 is a skip: ansible-core is not installed (scripts/setup.sh installs it).
if(NOT WIN32)
    add_test(NAME ansible
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ansible_test.sh
                     $<TARGET_FILE:varnadex-cli> $<TARGET_FILE:varnadex-sim>)
    set_tests_properties(ansible PROPERTIES LABELS ansible TIMEOUT 900 SKIP_RETURN_CODE 77)
endif()
