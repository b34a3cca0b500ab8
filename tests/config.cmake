varnadex_test(config_test LABEL unit SOURCES config_test.cpp)
target_include_directories(config_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
varnadex_test(codepage_test LABEL unit SOURCES codepage_test.cpp)
target_include_directories(codepage_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
