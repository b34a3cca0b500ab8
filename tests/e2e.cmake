varnadex_test(e2e_test LABEL pty SOURCES e2e_test.cpp LIBS varnadex_sim_lib varnadex_cli_lib)
target_include_directories(e2e_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
