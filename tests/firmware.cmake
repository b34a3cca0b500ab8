varnadex_test(firmware_test LABEL unit SOURCES firmware_test.cpp LIBS varnadex_testsupport)
varnadex_test(firmware_pty_test LABEL pty SOURCES firmware_pty_test.cpp
    LIBS varnadex_sim_lib varnadex_testsupport)
varnadex_test(reset_serial_test LABEL pty SOURCES reset_serial_test.cpp
    LIBS varnadex_sim_lib varnadex_testsupport)
varnadex_test(reset_network_test LABEL udp SOURCES reset_network_test.cpp
    LIBS varnadex_sim_lib varnadex_testsupport)
varnadex_test(firmware_sim_test LABEL unit SOURCES firmware_sim_test.cpp LIBS varnadex_sim_lib)
