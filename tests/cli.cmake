varnadex_test(cli_test LABEL unit SOURCES cli_test.cpp LIBS varnadex_cli_lib)
target_include_directories(cli_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
varnadex_test(cli_signals_test LABEL pty SOURCES cli_signals_test.cpp LIBS varnadex_sim_lib)
target_compile_definitions(cli_signals_test PRIVATE
    VARNADEX_CLI_PROGRAM="$<TARGET_FILE:varnadex-cli>")
add_dependencies(cli_signals_test varnadex-cli)
varnadex_test(fileio_test LABEL unit SOURCES fileio_test.cpp)
varnadex_test(cli_batch_process_test LABEL udp SOURCES cli_batch_process_test.cpp
    LIBS varnadex_sim_lib)
target_compile_definitions(cli_batch_process_test PRIVATE
    VARNADEX_CLI_PROGRAM="$<TARGET_FILE:varnadex-cli>")
add_dependencies(cli_batch_process_test varnadex-cli)
