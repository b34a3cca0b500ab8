varnadex_test(serial_frames_test LABEL unit SOURCES serial_frames_test.cpp LIBS varnadex_sim_lib)
varnadex_test(serial_link_fake_test LABEL unit SOURCES serial_link_fake_test.cpp
    LIBS varnadex_sim_lib varnadex_testsupport)
varnadex_test(serial_pty_test LABEL pty SOURCES serial_pty_test.cpp
    LIBS varnadex_sim_lib varnadex_testsupport)
varnadex_test(serial_sim_test LABEL pty SOURCES serial_sim_test.cpp
    LIBS varnadex_sim_lib varnadex_testsupport)
if(TARGET varnadex-sim)
    target_compile_definitions(serial_sim_test PRIVATE
        VARNADEX_SIM_PROGRAM="$<TARGET_FILE:varnadex-sim>")
    add_dependencies(serial_sim_test varnadex-sim)
endif()
