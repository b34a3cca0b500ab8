varnadex_test(cli_test LABEL unit SOURCES cli_test.cpp LIBS varnadex_cli_lib)
target_include_directories(cli_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
