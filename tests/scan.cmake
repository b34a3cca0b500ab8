varnadex_test(scan_test LABEL unit SOURCES scan_test.cpp LIBS varnadex_cli_lib varnadex_sim_lib)
varnadex_test(scan_udp_test LABEL udp SOURCES scan_udp_test.cpp LIBS varnadex_cli_lib varnadex_sim_lib)
